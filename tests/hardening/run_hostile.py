#!/usr/bin/env python3
"""Hostile texts on their way to the tool's command lines, through the daemon. Every text a
client sends that reaches a command line (method parameters, keys) and every text of the
tool's own output that the provider puts back on one (names, versions, component names) is
tried with each shell metacharacter around a command that would create a canary file. The
recording tool writes down the words it received: each hostile text must arrive as exactly
the word it was (or be refused as documented), and the canary must never appear. Ordinary
texts must give exactly the usual command lines."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cimxml_client import DateTime  # noqa: E402
from harness import (CALL_WAIT_SECONDS, POLL_SECONDS, check, finish,  # noqa: E402
                     parse_args, start)

AVAILABLE = "ZVQ_AvailableSoftwareUpdate"
SCHEDULED = "ZVQ_ScheduledSoftwareUpdate"
ACTIVE = "ZVQ_ActiveSoftwareUpdate"
HISTORY = "ZVQ_HistorySoftwareUpdate"
COMPONENT = "ZVQ_SoftwareUpdateComponent"

METACHARACTERS = [";", "|", "&", "$(", "`", "<", ">", "*", "?", "[", "]", "#", "~", "'", '"',
                  "!", "\n", "\t"]
# Characters that separate the tool's fields and lines, so they never occur inside one.
FIELD_SEPARATORS = ("\n", "\t")
# What the path methods refuse, and what the network methods refuse in their texts.
PATH_REFUSED_CHARS = ";()[]*$#|"
TEXT_REFUSED_CHARS = "'"
ADDRESS = "10.1.2.3"
START = DateTime("20300306020000.000000+000")
END = DateTime("20300306040000.000000+000")


def hostile_texts(canary):
    command = "touch " + canary
    texts = []
    for char in METACHARACTERS:
        closing = ")" if char == "$(" else char
        texts.append("a" + char + command + closing + "b")
        texts.append(char + command)
    texts += ["$(%s)" % command, "`%s`" % command, "x>" + canary, "x >>" + canary,
              "'$(%s)'" % command, '"$(%s)"' % command, "x' ; %s ; '" % command,
              "x\\'; %s #" % command, "-l; " + command, ADDRESS + " ;" + command,
              ADDRESS + "\n" + command]
    return texts


def listings(tool, name, version, component):
    tab = "\t"
    tool.answer("cache", out=tab.join([name, version, "About", "2 MB", "reboot", "Available"])
                + "\n")
    tool.answer("sched", out=tab.join([name, version, "Sched", "/loc", "Mon Mar 01 09:00:00 2004",
                                       "Sat Mar 06 02:00:00 2004", "reboot", "2 MB",
                                       "Scheduled"]) + "\n")
    tool.answer("apply", out=tab.join([name, version, "Act", "/loc", "Sun Mar 07 01:00:00 2004",
                                       "none", "1 MB", "Applying"]) + "\n")
    tool.answer("hist", out=tab.join([name, version, "Hist", "Security",
                                      "Mon Jan 05 12:00:00 2004", "Removable"]) + "\n")
    tool.answer("components", out=component + tab + "the component\n")
    tool.answer("hascomponents", rc=0)


def first_key(answer):
    names = answer.names() if answer.ok else []
    return names[0] if names else None


def tool_output_round(daemon, tool, name, version, component, label):
    """Every command line built from the tool's output; returns the calls seen."""
    admin = daemon.admin
    listings(tool, name, version, component)
    tool.take_calls()
    calls = []
    key = first_key(admin.enumerate_names(AVAILABLE))
    if not check(key is not None, label + ": available update listed"):
        return calls
    admin.invoke(AVAILABLE, "Warnings", key)
    admin.invoke(AVAILABLE, "AddToSchedule", key, {"StartTime": START, "EndTime": END})
    admin.get(AVAILABLE, key, ["UpdateDescription"])
    answer = admin.invoke(AVAILABLE, "HasOptionalComponents", key)
    check(answer.ok and answer.return_value() == "true", label + ": HasOptionalComponents",
          answer.body[:400])
    component_key = first_key(admin.enumerate_names(COMPONENT))
    if check(component_key is not None, label + ": component listed"):
        answer = admin.modify(COMPONENT, component_key, {"Install": True})
        check(answer.ok, label + ": component chosen", answer.body[:400])
    admin.invoke(AVAILABLE, "Apply", key)
    tool.wait_for("--apply", calls)
    for cls, methods in ((SCHEDULED, (("Modify", {"StartTime": START, "EndTime": END}),
                                      ("Remove", None))),
                         (ACTIVE, (("Cancel", None),)),
                         (HISTORY, (("Remove", None),))):
        key = first_key(admin.enumerate_names(cls))
        if not check(key is not None, "%s: %s listed" % (label, cls)):
            continue
        for method, params in methods:
            admin.invoke(cls, method, key, params)
        if cls == HISTORY:
            admin.get(cls, key, ["UpdateDescription"])
    deadline = time.monotonic() + CALL_WAIT_SECONDS
    while sum(1 for c in calls if c and c[0] == "--rback") < 2 and time.monotonic() < deadline:
        calls.extend(tool.take_calls())
        time.sleep(POLL_SECONDS)
    return calls


def expected_output_calls(name, version, component):
    nv = [name, version]
    return [
        ["--warnings"] + nv,
        ["--sched"] + nv,  # and the two dates
        ["-l", name + "-" + version],
        ["--hascomponents"] + nv,
        ["--components"] + nv,
        ["--apply"] + nv + [component],
        ["--msched"] + nv,  # Modify, and the two dates
        ["--msched"] + nv,  # Remove
        ["--rback"] + nv,  # Cancel
        ["--rback"] + nv,  # Remove from the history
        ["-l", name + "-" + version],
    ]


def compare_output_calls(calls, name, version, component, label):
    wanted = expected_output_calls(name, version, component)
    relevant = [c for c in calls if c and c[0] not in ("", "--cache", "--sched", "--apply",
                                                       "--hist", "--setinprogress")
                or (c and c[0] in ("--sched", "--apply") and len(c) > 1)]
    # Dates are the provider's own text; only their number is checked here.
    shaped = []
    for c in relevant:
        if c[0] in ("--sched", "--msched") and len(c) == 5:
            shaped.append(c[:3])
        else:
            shaped.append(c)
    # Listings may run the description more than once; each distinct line must be there.
    distinct = sorted(set(map(tuple, shaped)))
    return check(distinct == sorted(set(map(tuple, wanted))),
                 label + ": every word arrives as it was", "got %r\nwanted %r" % (shaped, wanted))


def client_round(daemon, tool, text, label):
    """Every method parameter and key a client sends toward a command line."""
    admin = daemon.admin
    tool.reset()
    tried = 0
    network = (("GetViaFtp", "--ftp", None), ("GetViaSamba", "--samba", None),
               ("GetViaHttp", "--http", True))
    for method, option, secure in network:
        for position in ("Address", "User", "Password", "Directory"):
            params = {"Address": ADDRESS, "User": "user", "Password": "pw", "Directory": "dir"}
            params[position] = text
            if secure is not None:
                params["Secure"] = secure
            answer = admin.invoke(AVAILABLE, method, None, params)
            tried += 1
            result = answer.return_value() if answer.ok else None
            words = [option, params["Address"], params["User"], params["Password"],
                     params["Directory"]] + (["true"] if secure else [])
            what = "%s: %s %s" % (label, method, position)
            if position != "Address" and TEXT_REFUSED_CHARS in text:
                check(result == "Invalid Parameters", what + " refused", answer.body[:300])
            elif result == "":
                calls = tool.wait_for(option, [])
                got = [c for c in calls if c and c[0] == option]
                check(got == [words], what + " arrives as one word", "%r" % calls)
            else:
                check(position == "Address" and result == "Invalid IP Address",
                      what + " refused as documented", answer.body[:300])
    for method, option in (("GetViaUsb", "--usb"), ("GetViaHardDrive", "--hd")):
        answer = admin.invoke(AVAILABLE, method, None, {"Path": text})
        tried += 1
        result = answer.return_value() if answer.ok else None
        if any(c in PATH_REFUSED_CHARS for c in text):
            check(result == "Invalid Parameters", "%s: %s refused" % (label, method),
                  answer.body[:300])
        else:
            calls = tool.wait_for(option, [])
            got = [c for c in calls if c and c[0] == option]
            check(result == "" and got == [[option, text]],
                  "%s: %s path arrives as one word" % (label, method), "%r" % calls)
    # Keys name records of the last listing; a hostile one names none and reaches no tool.
    tool.take_calls()
    for cls, method in ((AVAILABLE, "Apply"), (SCHEDULED, "Remove"), (HISTORY, "Remove"),
                        (ACTIVE, "Cancel")):
        answer = admin.invoke(cls, method, {"InstanceID": text})
        tried += 1
        check(answer.code() == 6, "%s: %s key on %s: not found" % (label, method, cls),
              answer.body[:300])
    leaked = [c for c in tool.take_calls() if any(text in w for w in c)]
    check(not leaked, label + ": a hostile key reaches no command", "%r" % leaked)
    return tried


def main():
    args = parse_args()
    workdir, tool, daemon = start(args, "hardening_hostile_")
    canary = os.path.join(workdir, "canary")
    tried = 0
    summary = ""
    try:
        # Ordinary texts: the usual command lines, word for word.
        calls = tool_output_round(daemon, tool, "patchC", "1.5", "core", "ordinary")
        compare_output_calls(calls, "patchC", "1.5", "core", "ordinary")
        client_round(daemon, tool, "/media/usb0", "ordinary path")

        for text in hostile_texts(canary):
            label = "hostile %r" % text
            tried += client_round(daemon, tool, text, label)
            if not any(sep in text for sep in FIELD_SEPARATORS):
                tool.reset()
                calls = tool_output_round(daemon, tool, text, "1" + text, text, label)
                compare_output_calls(calls, text, "1" + text, text, label)
                tried += 11
            check(not os.path.exists(canary), label + ": no canary")
            check(daemon.alive(), label + ": daemon alive")
            if os.path.exists(canary):
                os.remove(canary)
        summary = "hostile texts: %d, placed into %d command-line positions" % (
            len(hostile_texts(canary)), tried)
    finally:
        result = finish(workdir, daemon, "")
    print(summary)
    return result


if __name__ == "__main__":
    sys.exit(main())
