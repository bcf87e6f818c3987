#!/usr/bin/env python3
"""Many clients at once: the daemon with the provider and the stand-in tool (every duration
zero), CLIENT_THREADS threads each running OPERATIONS_PER_THREAD requests that mix listings
and gets of every class, component choices, HasOptionalComponents, the association,
GetProgress, Apply, Cancel and fetches. Every answer must be well-formed CIM-XML, instances
must carry the properties of their class, positional InstanceIDs of one listing must run
0..n-1, the only failures allowed are the documented ones, and the daemon's memory after the
run must be close to before."""

import json
import os
import random
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cimxml_client import Daemon, make_workdir  # noqa: E402
from harness import check, check_memory_growth  # noqa: E402
import harness  # noqa: E402

CLIENT_THREADS = 16
OPERATIONS_PER_THREAD = 40
RUN_LIMIT_SECONDS = 50 * harness.TIME_SCALE
RSS_GROWTH_LIMIT_KIB = 8 * 1024
# The tool refusing (an operation already running, an update no longer cached) is
# CIM_ERR_FAILED; a record gone from a newer listing is CIM_ERR_NOT_FOUND.
ALLOWED_ERRORS = {1, 6}
AVAILABLE = "ZVQ_AvailableSoftwareUpdate"
ACTIVE = "ZVQ_ActiveSoftwareUpdate"
COMPONENT = "ZVQ_SoftwareUpdateComponent"
CLASSES = [
    AVAILABLE, "ZVQ_ScheduledSoftwareUpdate", ACTIVE, "ZVQ_HistorySoftwareUpdate", COMPONENT,
    "ZVQ_SoftwareIdentity", "ZVQ_ElementManagerCartridgeVersionInfo",
    "ZVQ_AvailableSoftwareFileName", "ZVQ_AvailableSoftwareFileList",
]


class Run:
    def __init__(self, daemon, updates):
        self.daemon = daemon
        self.updates = updates
        self.lock = threading.Lock()
        self.outcomes = {}
        self.problems = []
        self.properties = {}  # class -> property names of its first instance
        self.operations = 0

    def record(self, what, answer):
        with self.lock:
            self.operations += 1
            key = "%s: %s" % (what, "ok" if answer.ok else
                              "CIM error %s" % answer.code() if answer.error else
                              "HTTP %s %s" % (answer.status, answer.parse_error or ""))
            self.outcomes[key] = self.outcomes.get(key, 0) + 1
            if not answer.ok and not (answer.error and answer.error[0] in ALLOWED_ERRORS):
                self.problems.append("%s: %s" % (what, answer.body[:300]))
        return answer.ok

    def problem(self, text):
        with self.lock:
            self.problems.append(text)

    def check_listing(self, cls, answer, instances):
        entries = answer.instances() if instances else [(k, None) for k in answer.names()]
        ids = [keys.get("InstanceID") for keys, _ in entries]
        if ids and all(i is not None and i.isdigit() for i in ids):
            if sorted(ids, key=int) != [str(i) for i in range(len(ids))]:
                self.problem("%s: InstanceIDs %r" % (cls, ids))
        if not instances:
            return
        for _, props in entries:
            names = set(props)
            with self.lock:
                known = self.properties.setdefault(cls, names)
            if names != known:
                self.problem("%s: properties %r, not %r" % (cls, sorted(names), sorted(known)))
            for name, (cim_type, _) in props.items():
                if not cim_type:
                    self.problem("%s.%s has no type" % (cls, name))

    def first_key(self, cls, rng):
        answer = self.daemon.admin.enumerate_names(cls)
        if not self.record("EnumerateInstanceNames", answer):
            return None
        self.check_listing(cls, answer, False)
        names = answer.names()
        return rng.choice(names) if names else None

    def operation(self, rng):
        admin = self.daemon.admin
        kind = rng.randrange(10)
        cls = rng.choice(CLASSES)
        if kind == 0:
            answer = admin.enumerate_names(cls)
            if self.record("EnumerateInstanceNames", answer):
                self.check_listing(cls, answer, False)
        elif kind in (1, 2):
            answer = admin.enumerate(cls)
            if self.record("EnumerateInstances", answer):
                self.check_listing(cls, answer, True)
        elif kind == 3:
            key = self.first_key(cls, rng)
            if key is not None:
                self.record("GetInstance", admin.get(cls, key))
        elif kind == 4:
            key = self.first_key(AVAILABLE, rng)
            if key is not None:
                self.record("HasOptionalComponents",
                            admin.invoke(AVAILABLE, "HasOptionalComponents", key))
                component = self.first_key(COMPONENT, rng)
                if component is not None:
                    self.record("ModifyInstance", admin.modify(COMPONENT, component,
                                                               {"Install": rng.random() < 0.5}))
        elif kind == 5:
            key = self.first_key(AVAILABLE, rng)
            if key is not None:
                self.record("Associators", admin.associators(AVAILABLE, key,
                                                              "ZVQ_AvailableSoftwareFileName"))
        elif kind == 6:
            self.record("GetProgress", admin.invoke(AVAILABLE, "GetProgress"))
        elif kind == 7:
            key = self.first_key(AVAILABLE, rng)
            if key is not None:
                self.record("Apply", admin.invoke(AVAILABLE, "Apply", key))
        elif kind == 8:
            # With every duration zero an apply is rarely caught running; cancelling the
            # first position anyway exercises the refusal too.
            key = self.first_key(ACTIVE, rng) or {"InstanceID": "0"}
            self.record("Cancel", admin.invoke(ACTIVE, "Cancel", key))
        else:
            self.record("GetViaHardDrive", admin.invoke(AVAILABLE, "GetViaHardDrive", None,
                                                        {"Path": self.updates}))

    def client(self, seed):
        rng = random.Random(seed)
        for _ in range(OPERATIONS_PER_THREAD):
            try:
                self.operation(rng)
            except Exception as e:  # a broken answer or connection is a finding, not a crash
                self.problem("client %d: %r" % (seed, e))


def main():
    import argparse
    parser = argparse.ArgumentParser()
    parser.add_argument("--paths", required=True)
    args = parser.parse_args()
    with open(args.paths) as f:
        paths = json.load(f)
    workdir = make_workdir("hardening_stress_")
    state = os.path.join(workdir, "state")
    env = {"SOFTINV_STATE_DIR": state, "SOFTINV_FETCH_MS": "0", "SOFTINV_APPLY_MS": "0",
           "SOFTINV_ROLLBACK_MS": "0"}
    subprocess.run([paths["softinv"], "--hd", paths["updates"]], env=dict(os.environ, **env),
                   check=True, capture_output=True)
    daemon = Daemon(paths["cimomd"], paths["passwd"], paths["provider_dir"], paths["mof"],
                    workdir, env)
    if not daemon.wait_ready():
        print(daemon.output())
        return 1
    run = Run(daemon, paths["updates"])
    try:
        # One of each operation first, so the memory measured before holds the warm caches.
        warm = random.Random(0)
        for _ in range(30):
            run.operation(warm)
        rss_before = daemon.rss_kib()
        threads = [threading.Thread(target=run.client, args=(seed,))
                   for seed in range(1, CLIENT_THREADS + 1)]
        started = time.monotonic()
        for t in threads:
            t.start()
        for t in threads:
            t.join(RUN_LIMIT_SECONDS)
        elapsed = time.monotonic() - started
        check(not any(t.is_alive() for t in threads),
              "%d clients finish within %d s" % (CLIENT_THREADS, RUN_LIMIT_SECONDS))
        check(daemon.alive(), "daemon alive", daemon.output()[-2000:])
        check(not run.problems, "every answer well-formed and documented (%d problems)"
              % len(run.problems), "\n".join(run.problems[:20]))
        check_memory_growth(daemon, rss_before, RSS_GROWTH_LIMIT_KIB)
        print("operations: %d in %.1f s by %d clients" % (run.operations, elapsed,
                                                          CLIENT_THREADS))
        for outcome, count in sorted(run.outcomes.items()):
            print("  %5d  %s" % (count, outcome))
    finally:
        result = harness.finish(workdir, daemon, "")
    return result


if __name__ == "__main__":
    sys.exit(main())
