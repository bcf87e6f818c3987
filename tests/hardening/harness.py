"""What the hardening test programs share: the command line, the check printer, and the
recording tool the provider copy runs, whose listings, exit codes and behaviour a test sets
while the daemon runs."""

import argparse
import os
import shutil
import sys
import time

from cimxml_client import SANITIZERS, TIME_SCALE, Daemon, make_workdir

CALL_WAIT_SECONDS = 5 * TIME_SCALE
POLL_SECONDS = 0.02
# Separators of the call record; no test text holds them.
WORD_END = "\x1e"
CALL_END = "\x1d"

RECORDING_TOOL = """#!/bin/sh
d="$HARDEN_DIR"
# One write per call, so calls running at once never interleave their records.
record=""
for word in "$@"; do record="$record$word$(printf '\\036')"; done
printf '%s\\035' "$record" >>"$d/calls"
key="${1#-}"
key="${key#-}"
[ -n "$key" ] || key=inventory
[ -f "$d/err/$key" ] && cat "$d/err/$key" >&2
[ -f "$d/out/$key" ] && cat "$d/out/$key"
[ -f "$d/rc/$key" ] && exit "$(cat "$d/rc/$key")"
exit 0
"""

failures = []
checks = [0]


def check(condition, what, detail=""):
    checks[0] += 1
    if not condition:
        print("FAIL " + what)
        failures.append(what)
        if detail:
            print("     " + str(detail).replace("\n", "\n     ")[:2000])
    return condition


def check_memory_growth(daemon, rss_before_kib, limit_kib):
    """The daemon's resident memory grew by less than limit_kib since rss_before_kib. Under the
    sanitizers that figure is meaningless; their leak checker runs when the daemon stops."""
    rss_after = daemon.rss_kib()
    if SANITIZERS:
        print("memory %d -> %d KiB, not checked under %s" % (rss_before_kib, rss_after,
                                                           SANITIZERS))
        return True
    return check(rss_after - rss_before_kib < limit_kib,
                 "memory within %d KiB of before (%d -> %d KiB)"
                 % (limit_kib, rss_before_kib, rss_after))


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cimomd", required=True)
    parser.add_argument("--passwd", required=True)
    parser.add_argument("--provider-dir", required=True)
    parser.add_argument("--mof", required=True)
    return parser.parse_args()


class Tool:
    """The recording tool in a work directory: out/<option>, err/<option> and rc/<option>
    answer each option (the option without its dashes, "inventory" for none)."""

    def __init__(self, workdir):
        self.dir = os.path.join(workdir, "tool")
        self.path = os.path.join(self.dir, "softinv")
        self.taken = 0
        for sub in ("out", "err", "rc"):
            os.makedirs(os.path.join(self.dir, sub), exist_ok=True)
        self.install(RECORDING_TOOL)

    def install(self, text, mode=0o755):
        with open(self.path, "w") as f:
            f.write(text)
        os.chmod(self.path, mode)

    def remove(self):
        os.remove(self.path)

    def environment(self):
        return {"HARDEN_DIR": self.dir, "HARDEN_TOOL": self.path}

    def answer(self, key, out=None, rc=None, err=None):
        for sub, value in (("out", out), ("rc", rc), ("err", err)):
            path = os.path.join(self.dir, sub, key)
            if value is None:
                if os.path.exists(path):
                    os.remove(path)
            else:
                with open(path, "wb") as f:
                    f.write(value if isinstance(value, bytes) else str(value).encode())

    def reset(self):
        for sub in ("out", "err", "rc"):
            shutil.rmtree(os.path.join(self.dir, sub))
            os.makedirs(os.path.join(self.dir, sub))
        self.take_calls()

    def take_calls(self):
        """The calls since the last take, each a list of its argument words. The file only
        grows, so a call being written while it is read is taken next time."""
        path = os.path.join(self.dir, "calls")
        if not os.path.exists(path):
            return []
        with open(path, "rb") as f:
            f.seek(self.taken)
            data = f.read()
        end = data.rfind(CALL_END.encode())
        if end < 0:
            return []
        self.taken += end + 1
        text = data[:end + 1].decode("utf-8", errors="surrogateescape")
        return [call.split(WORD_END)[:-1] for call in text.split(CALL_END)[:-1]]

    def wait_for(self, first_word, seen):
        """Waits until a call starting with first_word arrived; returns all calls so far."""
        deadline = time.monotonic() + CALL_WAIT_SECONDS
        while True:
            seen.extend(self.take_calls())
            if any(c and c[0] == first_word for c in seen) or time.monotonic() > deadline:
                return seen
            time.sleep(POLL_SECONDS)


def start(args, prefix, tool_setup=None, items=None):
    workdir = make_workdir(prefix)
    tool = Tool(workdir)
    if tool_setup:
        tool_setup(tool)
    env = tool.environment()
    daemon = Daemon(args.cimomd, args.passwd, args.provider_dir, args.mof, workdir, env, items)
    if not daemon.wait_ready():
        print(daemon.output())
        sys.exit("the daemon did not start")
    return workdir, tool, daemon


def finish(workdir, daemon, summary):
    for problem in daemon.stop():
        check(False, "clean daemon exit", problem)
    print(summary)
    if failures:
        print("%d of %d checks failed; files kept in %s" % (len(failures), checks[0], workdir))
        return min(len(failures), 100)
    shutil.rmtree(workdir, ignore_errors=True)
    print("all %d checks passed" % checks[0])
    return 0
