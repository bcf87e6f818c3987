#!/usr/bin/env python3
"""End-to-end test of the whole road: walks the demo's road (examples/demo) against the daemon,
the demo's provider copy and the real stand-in tool, with every answer checked on the way, then
checks what the road left: the tool's own state agrees with what the client was told, the audit
log holds the changes, the transcript never shows the password, and nothing is left running.
Every check prints one line; the exit status is the number of failed checks (capped)."""

import argparse
import io
import json
import os
import re
import shutil
import signal
import sys
import tempfile
import time

# Nothing is written into the source tree, compiled modules included.
sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "examples", "demo"))

import road  # noqa: E402
import road_steps  # noqa: E402
from transcript import Transcript  # noqa: E402

ROAD_LIMIT_SECONDS = 60
GONE_LIMIT_SECONDS = 2.0
# State-changing requests the road makes, by audited method name, each answered "ok".
AUDITED_CALLS = {"GetViaHardDrive": 1, "GetViaHttp": 1, "Apply": 5, "Cancel": 1,
                 "AddToSchedule": 1, "Modify": 1, "Remove": 2}

failures = []


def check(condition, what, detail=""):
    print(("PASS " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)
        if detail:
            print("     " + str(detail).replace("\n", "\n     "))
    return condition


def group_gone(pgid):
    """True once no process of the group is left (zombies are reaped by init shortly)."""
    deadline = time.monotonic() + GONE_LIMIT_SECONDS
    while time.monotonic() < deadline:
        try:
            os.killpg(pgid, 0)
        except ProcessLookupError:
            return True
        except PermissionError:
            return False
        time.sleep(0.05)
    return False


def tool_lines(workspace, *args):
    rc, out = workspace.run_tool(*args)
    return rc, [line.split("\t") for line in out.splitlines() if line]


def check_road(walked, transcript_text, password):
    check(walked is not None and walked.number == walked.total and walked.total > 0,
          "the road reached its last step (%s of %s)"
          % (getattr(walked, "number", 0), getattr(walked, "total", "?")))
    check(walked is not None and not walked.failures, "every answer on the road as expected",
          "\n".join(getattr(walked, "failures", [])))
    check(walked is not None and walked.passed >= 60, "the road made its checks (%s)"
          % getattr(walked, "passed", 0))
    if walked is not None:
        ids = sorted(walked.available.values(), key=int)
        check(ids == [str(i) for i in range(road_steps.SAMPLE_COUNT)],
              "available InstanceIDs are the positions 0..%d" % (road_steps.SAMPLE_COUNT - 1),
              ids)
    check(password not in transcript_text and "admin:****@" in transcript_text,
          "the transcript masks the password")
    steps = re.findall(r"\b(\d+)/(\d+)  ", transcript_text)
    check(len(steps) == getattr(walked, "total", -1) and
          all(int(n) == i + 1 for i, (n, _) in enumerate(steps)),
          "the transcript numbers every step once, in order")


def check_left_behind(session, ours=True):
    workspace = session.workspace
    daemon = session.daemon
    if ours:
        # OpenWBEM's daemon writes no pid file of ours and no audit log; its exit status on
        # SIGTERM is its own affair.
        check(daemon.process is not None and daemon.process.returncode == 0,
              "the daemon stopped cleanly (status %s)"
              % (daemon.process.returncode if daemon.process else None),
              daemon.log_tail(lines=80, output=True))
        check(not os.path.exists(workspace.pid_file), "the daemon removed its pid file")
    for name, process in (("daemon", daemon.process), ("web server", session.server.process)):
        check(process is not None and group_gone(process.pid),
              "nothing of the %s's process group is left running" % name)
    check(not os.path.exists(session.server_pid_file), "the web server's pid file is gone")

    with open(session.server.log_file) as f:
        served = f.read()
    check('"GET /updates/INDEX HTTP/1.1" 200' in served and
          served.count("/manifest HTTP/1.1\" 200") == road_steps.SAMPLE_COUNT,
          "the HTTP fetch read the index and each bundle's manifest from the web server",
          served[-2000:])

    # The tool's own view of its state, read directly rather than through the provider.
    rc, history = tool_lines(workspace, "--hist")
    check(rc == 0 and [tuple(r[:2]) for r in history] ==
          [road_steps.WEBAPP, road_steps.CARTRIDGE_UPDATE],
          "the tool's history holds the two applied updates", history)
    rc, schedule = tool_lines(workspace, "--sched")
    check(rc == 0 and schedule == [], "the tool's schedule is empty", schedule)
    rc, active = tool_lines(workspace, "--apply")
    check(rc == 0 and active == [], "the tool applies nothing", active)
    rc, packages = tool_lines(workspace)
    versions = {r[0]: r[1] for r in packages if len(r) > 1}
    check(rc == 0 and versions.get("zvq77EMcartridge") == road_steps.CARTRIDGE_AFTER and
          versions.get("tz-data") == "2023c" and "raid-driver-dkms" not in versions,
          "the tool's inventory matches what the client was shown", versions)
    rc, status = workspace.run_tool("--status")
    check(rc == 0 and status.splitlines() == ["0", "Rolled back tz-data 2024a"],
          "the tool's last operation is the roll-back", status)

    if not ours:
        return
    with open(workspace.audit_file) as f:
        audit = f.read()
    for method, count in AUDITED_CALLS.items():
        found = len(re.findall(r'user="admin" address="127\.0\.0\.1" operation="%s" .*'
                               r'outcome="ok"' % method, audit))
        check(found == count, "audit log: %d successful %s call(s), found %d"
              % (count, method, found))
    modified = len(re.findall(r'operation="ModifyInstance" class="ZVQ_SoftwareUpdateComponent"'
                              r'.*outcome="ok"', audit))
    check(modified == len(road_steps.CHOSEN_COMPONENTS),
          "audit log: one ModifyInstance per chosen component (%d)" % modified, audit[-2000:])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--paths", required=True)
    parser.add_argument("--host", choices=["ours", "real"], default="ours",
                        help="the CIMOM to walk the road against: cimomd, or OpenWBEM's owcimomd")
    parser.add_argument("--owreal", help="with --host real: where OpenWBEM is installed")
    parser.add_argument("--real-provider-dir",
                        help="with --host real: the provider copy built against it")
    args = parser.parse_args()
    daemon_class = None
    if args.host == "real":
        if not (args.owreal and args.real_provider_dir):
            parser.error("--host real needs --owreal and --real-provider-dir")
        from real_host import RealDaemon  # noqa: E402

        def daemon_class(workspace):
            return RealDaemon(workspace, args.owreal, args.real_provider_dir)
    if shutil.which("wbemcli") is None:
        print("wbemcli is not installed (Debian package sblim-wbemcli)")
        return 1
    with open(args.paths) as f:
        paths = json.load(f)

    workdir = tempfile.mkdtemp(prefix="swu_road_")
    buffer = io.StringIO()
    transcript = Transcript(stream=buffer, color=False)
    session = None
    started = time.monotonic()
    try:
        walked, session = road.walk(paths, workdir, transcript, stop_on_failure=False,
                                    daemon_class=daemon_class)
    except KeyboardInterrupt:
        return 1
    elapsed = time.monotonic() - started
    print(buffer.getvalue())

    check(elapsed < ROAD_LIMIT_SECONDS, "the road took %.1f s (limit %d s)"
          % (elapsed, ROAD_LIMIT_SECONDS))
    check_road(walked, buffer.getvalue(), session.workspace.password)
    check_left_behind(session, ours=args.host == "ours")

    if failures:
        print("%d check(s) failed; the work directory is kept: %s" % (len(failures), workdir))
        return min(len(failures), 100)
    shutil.rmtree(workdir, ignore_errors=True)
    check(not os.path.exists(workdir), "the work directory is removed")
    print("all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, road.interrupt_on_signal)
    sys.exit(main())
