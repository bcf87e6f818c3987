#!/usr/bin/env python3
"""A fleet of four servers on loopback, each its own cimomd with its own port, users file and
tool state, rolled forward by ansible-playbook through the swu.fleet collection: a roll-out that
one server's failing apply stops after its batch, the same roll-out in check mode (no tool state
changes), for real, and again (nothing changes), schedules and roll-backs that settle, and facts
compared with what wbemcli reads from the same daemons.

    fleet_test.py --paths build/examples/demo/demo_paths.json
"""

import argparse
import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
COLLECTIONS = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "examples", "demo"))

from road import load_paths  # noqa: E402
from wbem_session import Client, Daemon, Workspace  # noqa: E402

SERVERS = 4
FAILING = "fleet2"
PLAYBOOK_LIMIT_SECONDS = 600
TOOL_SETTINGS = {"fetch_ms": 200, "apply_ms": 300, "rollback_ms": 200}


class Fleet:
    def __init__(self, paths, directory, servers=SERVERS):
        self.paths = paths
        self.servers = servers
        self.directory = directory
        self.daemons = {}
        self.inventory = os.path.join(directory, "inventory.ini")

    def start(self):
        for i in range(1, self.servers + 1):
            name = "fleet%d" % i
            workspace = Workspace(self.paths, os.path.join(self.directory, name), TOOL_SETTINGS)
            daemon = Daemon(workspace)
            if not daemon.start():
                raise RuntimeError("%s: cimomd did not start\n%s" % (name, daemon.log_tail()))
            self.daemons[name] = daemon
        with open(self.inventory, "w") as f:
            f.write("[fleet]\n")
            for name, daemon in self.daemons.items():
                ws = daemon.workspace
                f.write("%s cimom_url=http://127.0.0.1:%d cimom_user=%s cimom_password=%s\n"
                        % (name, daemon.port, ws.user, ws.password))
            f.write("\n[fleet:vars]\nansible_connection=local\n"
                    "ansible_python_interpreter=/usr/bin/python3\nswu_path=%s\nupdate_dir=%s\n"
                    % (self.paths["swu"], self.paths["updates"]))

    def stop(self):
        for daemon in self.daemons.values():
            daemon.stop()

    def playbook(self, name, *extra, forks=8):
        """Runs one playbook with the JSON callback; returns (exit code, its JSON report)."""
        env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=COLLECTIONS,
                   ANSIBLE_STDOUT_CALLBACK="report",
                   ANSIBLE_CALLBACK_PLUGINS=os.path.join(HERE, "callback_plugins"), ANSIBLE_HOST_KEY_CHECKING="false",
                   ANSIBLE_LOCAL_TEMP=os.path.join(self.directory, "ansible-tmp"),
                   ANSIBLE_NOCOLOR="1", ANSIBLE_FORKS=str(forks))
        command = ["ansible-playbook", "-i", self.inventory,
                   os.path.join(HERE, "playbooks", name)] + list(extra)
        result = subprocess.run(command, capture_output=True, text=True, env=env,
                                timeout=PLAYBOOK_LIMIT_SECONDS, stdin=subprocess.DEVNULL,
                                check=False)
        try:
            report = json.loads(result.stdout)
        except ValueError:
            report = {"unparsed": result.stdout[-3000:] + result.stderr[-3000:]}
        return result.returncode, report

    def state_digest(self, name):
        """What the tool keeps of one server, file by file, without its lock."""
        digest = {}
        root = self.daemons[name].workspace.state_dir
        for folder, _folders, files in os.walk(root):
            for file in files:
                if file.endswith(".lock"):
                    continue
                path = os.path.join(folder, file)
                with open(path, "rb") as f:
                    digest[os.path.relpath(path, root)] = hashlib.sha256(f.read()).hexdigest()
        return digest

    def wbemcli(self, name, cls):
        daemon = self.daemons[name]
        ws = daemon.workspace
        answer = Client(daemon, ws.user, ws.password).run("ei", cls)
        if answer.rc != 0:
            raise RuntimeError("wbemcli ei %s on %s: %s" % (cls, name, answer.output))
        return [properties for _path, properties in answer.instances()]


def results(report, task_name):
    """{host: result} of the named task in a JSON report."""
    found = {}
    for play in report.get("plays", []):
        for task in play.get("tasks", []):
            if task["task"]["name"] == task_name:
                found.update(task["hosts"])
    return found


def recap(report, key):
    return {host: stats.get(key, 0) for host, stats in report.get("stats", {}).items()}


class Checks:
    def __init__(self):
        self.count = 0
        self.failures = []

    def __call__(self, ok, what, detail=""):
        self.count += 1
        print("  %s %s" % ("ok  " if ok else "FAIL", what))
        if not ok:
            self.failures.append(what)
            if detail:
                print("       " + str(detail).strip().replace("\n", "\n       ")[:4000])


def history_names(fleet, name):
    return sorted("%s-%s" % (r["Name"], r["VersionString"])
                  for r in fleet.wbemcli(name, "ZVQ_HistorySoftwareUpdate"))


def walk(fleet, check):
    everyone = sorted(fleet.daemons)
    fresh = {name: fleet.state_digest(name) for name in everyone}

    # The failing apply: one one-shot fault line, for that server's tz-data only.
    with open(os.path.join(fleet.daemons[FAILING].workspace.state_dir, "faults"), "w") as f:
        f.write("apply tz-data:exit:9\n")
    rc, report = fleet.playbook("rolling.yml")
    failed = results(report, "Apply the time zone data").get(FAILING, {})
    check(rc != 0 and failed.get("failed") is True and
          "tz-data-2024a" in failed.get("msg", "") and "failed" in failed.get("msg", "") and
          failed.get("operation", {}).get("progress") == "Failed",
          "a failing apply fails its server with the server's report", failed or report)
    ran = sorted(results(report, "Fetch the updates"))
    check(ran == ["fleet1", "fleet2"],
          "serial 2 with max_fail_percentage 0: the batch after the failure never starts", ran)
    check(history_names(fleet, "fleet1") == ["mgmt-webapp-4.2.0", "tz-data-2024a"] and
          history_names(fleet, FAILING) == ["mgmt-webapp-4.2.0"] and
          all(fleet.state_digest(n) == fresh[n] for n in ("fleet3", "fleet4")),
          "the others stay consistent: the first server done, the failed one without tz-data, "
          "the later batch untouched",
          {n: history_names(fleet, n) for n in everyone})
    check(fleet.wbemcli(FAILING, "ZVQ_ActiveSoftwareUpdate") == [],
          "nothing is left being applied on the failed server")

    before = {name: fleet.state_digest(name) for name in everyone}
    rc, report = fleet.playbook("rolling.yml", "--check")
    changed = recap(report, "changed")
    check(rc == 0 and all(fleet.state_digest(n) == before[n] for n in everyone),
          "check mode runs through and changes no tool state", report.get("stats"))
    check(changed == {"fleet1": 0, "fleet2": 1, "fleet3": 3, "fleet4": 3},
          "check mode says what would change on each server", changed)

    rc, report = fleet.playbook("rolling.yml")
    changed = recap(report, "changed")
    check(rc == 0 and changed == {"fleet1": 0, "fleet2": 1, "fleet3": 3, "fleet4": 3},
          "the roll-out again: every server done, each changed only where it had to", changed)
    fetched = results(report, "Fetch the updates").get("fleet3", {}).get("fetched", [])
    check(len(fetched) == 7 and "tz-data-2024a" in fetched, "the fetch reports what it added",
          fetched)
    check(all(history_names(fleet, n) == ["mgmt-webapp-4.2.0", "tz-data-2024a"]
              for n in everyone), "all four servers have both updates")

    rc, report = fleet.playbook("rolling.yml")
    check(rc == 0 and set(recap(report, "changed").values()) == {0} and
          set(recap(report, "ok").values()) == {3},
          "a second run changes nothing", report.get("stats"))

    start = time.strftime("%Y-%m-%d %H:%M", time.localtime(time.time() + 3 * 86400))
    later = time.strftime("%Y-%m-%d %H:%M", time.localtime(time.time() + 4 * 86400))
    firmware = ["-e", "update=bmc-firmware", "-e"]
    for label, arguments, expected in (
            ("schedules the firmware", firmware + [json.dumps(dict(state="scheduled",
                                                                   start=start))], 1),
            ("the same window again changes nothing",
             firmware + [json.dumps(dict(state="scheduled", start=start))], 0),
            ("a new start moves the window",
             firmware + [json.dumps(dict(state="scheduled", start=later))], 1),
            ("off the schedule", firmware + ["state=unscheduled"], 1),
            ("off the schedule again changes nothing", firmware + ["state=unscheduled"], 0),
            ("tz-data rolled back", ["-e", "update=tz-data", "-e", "state=absent"], 1),
            ("rolled back again changes nothing",
             ["-e", "update=tz-data", "-e", "state=absent"], 0)):
        rc, report = fleet.playbook("one.yml", *arguments)
        changed = recap(report, "changed")
        check(rc == 0 and set(changed.values()) == {expected}, label,
              json.dumps(report)[-3000:])
        if label == "a new start moves the window":
            scheduled = fleet.wbemcli("fleet4", "ZVQ_ScheduledSoftwareUpdate")
            check(len(scheduled) == 1 and scheduled[0].get("Name") == "bmc-firmware",
                  "the scheduled list holds the firmware once", scheduled)

    rc, report = fleet.playbook("one.yml", "-e", "update=mgmt-webapp", "-e", "state=applied")
    bad = results(report, "mgmt-webapp applied").get("fleet1", {})
    check(rc != 0 and "several updates" in bad.get("msg", ""),
          "a name with two versions is refused with both", bad)
    rc, report = fleet.playbook("one.yml", "-e", "update=no-such-update", "-e", "state=applied")
    bad = results(report, "no-such-update applied").get("fleet1", {})
    check(rc != 0 and "not in the cache" in bad.get("msg", ""), "an unknown update fails", bad)

    rc, report = fleet.playbook("facts.yml")
    facts = {host: result.get("ansible_facts", {}).get("software_update", {})
             for host, result in results(report, "Read the update facts").items()}
    check(rc == 0 and sorted(facts) == everyone, "facts from every server", report.get("stats"))
    for name in everyone:
        fact = facts.get(name, {})
        installed = sorted((r["Name"], r["PackageVersion"])
                           for r in fleet.wbemcli(name, "ZVQ_SoftwareIdentity"))
        cartridge = [r["Version"] for r in
                     fleet.wbemcli(name, "ZVQ_ElementManagerCartridgeVersionInfo")]
        available = sorted((r["Name"], r["VersionString"])
                           for r in fleet.wbemcli(name, "ZVQ_AvailableSoftwareUpdate"))
        seen = (sorted((r["name"], r["version"]) for r in fact.get("installed", [])),
                [fact.get("cartridge_version")],
                sorted((r["name"], r["version"]) for r in fact.get("available", [])),
                sorted("%s-%s" % (r["name"], r["version"]) for r in fact.get("history", [])))
        check(seen == (installed, cartridge, available, history_names(fleet, name)) and
              fact.get("installed_count") == len(installed),
              "%s: the facts are what wbemcli sees" % name,
              {"facts": seen, "wbemcli": (installed, cartridge, available)})
    passwords = [fleet.daemons[n].workspace.password for n in everyone]
    check(not any(p in json.dumps(report) for p in passwords),
          "no password in what Ansible reports")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n", maxsplit=1)[0])
    parser.add_argument("--paths", required=True, help="demo_paths.json of a build")
    parser.add_argument("--keep", action="store_true", help="keep the work directory")
    args = parser.parse_args()
    if shutil.which("ansible-playbook") is None:
        print("ansible-playbook not found (Debian package ansible-core)", file=sys.stderr)
        return 1
    paths = load_paths(args.paths)
    directory = tempfile.mkdtemp(prefix="swu-fleet-")
    fleet = Fleet(paths, directory)
    check = Checks()
    try:
        fleet.start()
        walk(fleet, check)
    finally:
        fleet.stop()
        if args.keep:
            print("work directory kept: %s" % directory)
        else:
            shutil.rmtree(directory, ignore_errors=True)
    print("fleet: %d checks, %d failed" % (check.count, len(check.failures)))
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
