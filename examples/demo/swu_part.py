"""The demo's last part: the same daemon, after the road, driven with swu, the administrator's
own client, instead of wbemcli: one command per task, updates by name, progress as it comes."""

import json
import os
import subprocess

SWU_LIMIT_SECONDS = 60


def run(t, swu, env, *args):
    t.command("swu " + " ".join(args))
    result = subprocess.run([swu] + list(args), capture_output=True, text=True, env=env,
                            timeout=SWU_LIMIT_SECONDS, stdin=subprocess.DEVNULL)
    lines = (result.stderr + result.stdout).splitlines()
    t.answer_lines(lines or ["(nothing printed)"])
    return result


def walk(session, t, swu):
    ws = session.workspace
    env = dict(os.environ, SWU_URL="http://127.0.0.1:%d" % session.daemon.port,
               SWU_USER=ws.user, SWU_PASSWORD=ws.password)
    steps = [
        ("What the server has now", "One screen: cartridge, packages, updates in every state, "
         "and how the last operation ended.", [("status",)]),
        ("Apply an update by its name, and watch it",
         "swu finds kernel-security-fix in the cache (no InstanceID to look up), runs the "
         "optional-component check, starts the apply and follows GetProgress; off a terminal "
         "each report is one line.", [("apply", "kernel-security-fix", "--poll", "0.2")]),
        ("Roll it back, for a script",
         "--json prints one document with stable field names; the exit code says how it "
         "ended (0 done).", [("rollback", "kernel-security-fix", "--poll", "0.2", "--json")]),
        ("A name that is not enough",
         "Two versions of mgmt-webapp are cached: swu refuses to guess and lists them "
         "(exit 2).", [("show", "mgmt-webapp")]),
    ]
    total = len(steps)
    ok = True
    for number, (title, why, commands) in enumerate(steps, 1):
        t.step(number, total, title, why)
        for args in commands:
            result = run(t, swu, env, *args)
            if args[0] == "show":
                good = result.returncode == 2 and "mgmt-webapp-4.1.3" in result.stderr
            elif "--json" in args:
                try:
                    good = result.returncode == 0 and json.loads(result.stdout)["ok"] is True
                except (ValueError, KeyError):
                    good = False
            else:
                good = result.returncode == 0
            t.check(good, "exit %d" % result.returncode)
            ok = ok and good
    return ok
