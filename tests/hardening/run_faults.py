#!/usr/bin/env python3
"""The tool failing in every way it can, through the daemon: missing, not executable, each
exit code, killed by a signal, silent, printing malformed, huge or endless output, mixing its
standard error in, and failing to explain its own exit code. Each request must get a CIM
error (or, where the output is usable, a well-formed answer), the daemon must stay up and
answer the next request, and its descriptors and memory must not grow."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import (RECORDING_TOOL, check, check_memory_growth, finish, parse_args,  # noqa: E402
                     start)

CIM_ERR_FAILED = 1
DESCRIPTOR_LOOKS = 10
DESCRIPTOR_LOOK_INTERVAL_SECONDS = 0.05
INVENTORY = "ZVQ_SoftwareIdentity"
LISTINGS = {  # class: the tool option that lists it
    INVENTORY: "",
    "ZVQ_AvailableSoftwareUpdate": "--cache",
    "ZVQ_ScheduledSoftwareUpdate": "--sched",
    "ZVQ_ActiveSoftwareUpdate": "--apply",
    "ZVQ_HistorySoftwareUpdate": "--hist",
}
GOOD_INVENTORY = "kernel\t2.6.5\tOperating System\tTue Feb 10 22:00:00 2004\n"
HUGE_LINE_BYTES = 1024 * 1024
MANY_LINES = 100000
SAMPLED_EXIT_CODES = (1, 2, 12, 33, 126, 127, 128, 255)
# How much the daemon may grow over the whole matrix.
RSS_GROWTH_LIMIT_KIB = 16 * 1024

# A tool that answers --errors as told and otherwise runs the fault's body.
FAULT_TOOL = """#!/bin/sh
if [ "$1" = "--errors" ]; then
%s
fi
%s
"""
ERRORS_ANSWER = 'printf "tool text for %s\\n" "$2"; exit 0'
ERRORS_FAILING = "exit 2"


def fault_tool(body, errors=ERRORS_ANSWER):
    return FAULT_TOOL % (errors, body)


def request(daemon, cls):
    if cls == "GetProgress":
        return daemon.admin.invoke("ZVQ_AvailableSoftwareUpdate", "GetProgress")
    return daemon.admin.enumerate_names(cls)


def ids_in_order(answer):
    ids = [k.get("InstanceID") for k in answer.names()]
    return ids == [str(i) for i in range(len(ids))]


def next_request_works(daemon, tool, label):
    tool.install(RECORDING_TOOL)
    tool.answer("inventory", out=GOOD_INVENTORY)
    answer = daemon.admin.enumerate_names(INVENTORY)
    check(daemon.alive(), label + ": daemon alive", daemon.output()[-2000:])
    check(answer.ok and len(answer.names()) == 1, label + ": the next request is answered",
          answer.body[:300])


def open_descriptors(daemon):
    """The fewest descriptors the daemon had open in a few looks: its connection watch briefly
    holds a copy of a socket and the descriptor directory while it looks."""
    counts = []
    for _ in range(DESCRIPTOR_LOOKS):
        counts.append(len(os.listdir("/proc/%d/fd" % daemon.process.pid)))
        time.sleep(DESCRIPTOR_LOOK_INTERVAL_SECONDS)
    return min(counts)


def main():
    args = parse_args()
    workdir, tool, daemon = start(args, "hardening_faults_")
    tried = 0
    outcomes = {}

    def note(outcome):
        outcomes[outcome] = outcomes.get(outcome, 0) + 1

    try:
        next_request_works(daemon, tool, "warm-up")
        descriptors_before = open_descriptors(daemon)
        rss_before = daemon.rss_kib()

        # Each exit code for the inventory, explained by --errors; a sample for the others.
        tool.install(fault_tool('exit "$(cat "$HARDEN_DIR/out/code")"'))
        for cls in LISTINGS:
            codes = range(1, 256) if cls == INVENTORY else SAMPLED_EXIT_CODES
            for code in codes:
                tool.answer("code", out=str(code))
                answer = request(daemon, cls)
                tried += 1
                note("exit code: CIM error %s" % answer.code())
                check(answer.code() == CIM_ERR_FAILED and
                      "tool text for %d" % code in answer.error[1],
                      "%s, exit %d: CIM_ERR_FAILED with the tool's text" % (cls, code),
                      answer.body[:300])
        check(daemon.alive(), "daemon alive after every exit code")

        # --errors failing too: the error still names the code's identifier.
        tool.install(fault_tool("exit 17", ERRORS_FAILING))
        answer = request(daemon, INVENTORY)
        tried += 1
        note("--errors failing: CIM error %s" % answer.code())
        check(answer.code() == CIM_ERR_FAILED and
              "SWU_Softinv_PatchScheduleFailed" in answer.error[1],
              "--errors failing: CIM_ERR_FAILED naming the exit code", answer.body[:300])
        next_request_works(daemon, tool, "--errors failing")

        huge = "x" * HUGE_LINE_BYTES
        many = "".join("pkg%d\t1.%d\tOther\tTue Feb 10 22:00:00 2004\n" % (i, i)
                       for i in range(MANY_LINES))
        with open(os.path.join(workdir, "many"), "w") as f:
            f.write(many)
        with open(os.path.join(workdir, "huge"), "w") as f:
            f.write(huge + "\n")
        # (label, how the tool is broken, outcomes allowed: "failed", "empty", "ok")
        faults = [
            ("missing", None, {"failed"}),
            ("not executable", 0o644, {"failed"}),
            ("killed by a signal", fault_tool('printf "half\\t1"; kill -9 $$'), {"failed"}),
            ("killed by a signal, silent", fault_tool("kill -TERM $$"), {"failed"}),
            ("prints nothing", fault_tool("exit 0"), {"empty"}),
            ("malformed lines", fault_tool('printf "no fields here\\n\\t\\t\\n"'), {"failed"}),
            ("a 1 MB line", fault_tool('cat "%s"' % os.path.join(workdir, "huge")),
             {"failed", "ok"}),
            ("interleaved standard error", fault_tool(
                'printf "kernel\\t2\\tOther\\tTue Feb 10 22:00:00 2004\\n"; '
                'printf "warning: disk low\\n" >&2; '
                'printf "netdrv\\t1\\tDriver\\tTue Feb 10 22:00:00 2004\\n"'), {"failed", "ok"}),
            ("binary output", fault_tool("printf '\\000\\377\\001\\t\\200\\n'"), {"failed", "ok"}),
        ]
        for label, broken, allowed in faults:
            for cls in list(LISTINGS) + ["GetProgress"]:
                if broken is None:
                    tool.remove()
                elif isinstance(broken, int):
                    tool.install(RECORDING_TOOL, broken)
                else:
                    tool.install(broken)
                answer = request(daemon, cls)
                tried += 1
                if answer.code() == CIM_ERR_FAILED:
                    outcome = "failed"
                elif answer.ok and cls == "GetProgress":
                    # An unusable report is the documented -1 with a reason.
                    outcome = "empty" if answer.return_value() == "-1" else "ok"
                elif answer.ok:
                    outcome = "empty" if not answer.names() else "ok"
                    check(ids_in_order(answer), "%s, %s: InstanceIDs 0..n-1" % (label, cls))
                else:
                    outcome = "status %s code %s" % (answer.status, answer.code())
                note("%s: %s" % (label, outcome))
                print("     %s, %s: %s" % (label, cls, outcome))
                check(outcome in allowed or (cls == "GetProgress" and outcome == "empty"),
                      "%s, %s: %s" % (label, cls, " or ".join(sorted(allowed))),
                      "got %s: %s" % (outcome, answer.body[:300]))
                next_request_works(daemon, tool, "%s, %s" % (label, cls))

        check(open_descriptors(daemon) <= descriptors_before,
              "no descriptor leaks (%d before, %d after)"
              % (descriptors_before, open_descriptors(daemon)))
        check_memory_growth(daemon, rss_before, RSS_GROWTH_LIMIT_KIB)

        # Many lines: every record listed, numbered in order. Last, as the listing it leaves
        # behind is rightly large.
        tool.install(fault_tool('cat "%s"' % os.path.join(workdir, "many")))
        answer = daemon.admin.enumerate_names(INVENTORY)
        tried += 1
        check(answer.ok and len(answer.names()) == MANY_LINES and ids_in_order(answer),
              "100,000 lines: 100,000 instances numbered 0..n-1", answer.body[:300])
        note("100,000 lines: %s" % ("ok" if answer.ok else answer.code()))
        next_request_works(daemon, tool, "100,000 lines")
    finally:
        summary = "faults tried: %d requests\n%s" % (tried, "\n".join(
            "  %5d  %s" % (n, o) for o, n in sorted(outcomes.items())))
        result = finish(workdir, daemon, summary)
    return result


if __name__ == "__main__":
    sys.exit(main())
