#!/usr/bin/python
# -*- coding: utf-8 -*-
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: software_update
short_description: Apply, schedule, unschedule or roll back an update on a server, through its CIMOM
version_added: 0.1.0
description:
  - Brings one update on one server into the wanted state and waits for the operation to end.
  - C(applied) applies it unless it is in the server's history of applied updates already;
    while another client's apply of it runs, the task waits for that one instead.
  - C(scheduled) schedules it for I(window), or moves its window when it is scheduled for
    another start; nothing changes when it is scheduled to start at I(window.start) already.
  - C(unscheduled) takes it off the schedule when it is on it.
  - C(absent) rolls it back when it is in the history, and does nothing otherwise.
  - The update must be in the server's cache (see M(swu.fleet.software_update_fetch)) to be
    applied or scheduled.
extends_documentation_fragment:
  - swu.fleet.cimom
options:
  name:
    description:
      - The update's name, or C(name-version).
    type: str
    required: true
  version:
    description:
      - The update's version. Needed when the server knows several versions of I(name).
    type: str
  state:
    description:
      - The state the update should be in.
    type: str
    choices: [applied, scheduled, unscheduled, absent]
    default: applied
  components:
    description:
      - Optional components to install with the update (C(applied) only). All are checked
        against the update's component list before any is chosen.
      - An update that is applied already is left as it is, whatever components it was applied
        with.
    type: list
    elements: str
    default: []
  window:
    description:
      - The maintenance window, for C(scheduled).
    type: dict
    suboptions:
      start:
        description:
          - Start, C(YYYY-MM-DD HH:MM[:SS]) in the controller's local time, or with C(Z) or
            C(+HH:MM). Relative times are refused, so that every run names the same window.
        type: str
        required: true
      end:
        description:
          - End, in the same form; two hours after I(window.start) when not given.
        type: str
  wait:
    description:
      - Whether to wait for the end of an apply or roll-back. Without waiting the task reports
        C(changed) once the operation has started.
    type: bool
    default: true
  wait_timeout:
    description:
      - Seconds to wait; the task fails when the operation is still running then (it goes on
        on the server).
    type: int
    default: 3600
attributes:
  check_mode:
    description: Reads the server's lists and reports what would change; nothing is started.
    support: full
author:
  - The software-update provider team (!UNKNOWN)
"""

EXAMPLES = r"""
- name: The web application with its reports, on two servers at a time
  hosts: web
  serial: 2
  max_fail_percentage: 0
  tasks:
    - swu.fleet.software_update:
        name: mgmt-webapp
        version: 4.2.0
        components: [reports]
      delegate_to: localhost

- name: Firmware in Saturday night's window
  swu.fleet.software_update:
    name: bmc-firmware
    state: scheduled
    window: {start: "2026-12-12 02:00", end: "2026-12-12 04:00"}
  delegate_to: localhost

- name: Roll the time zone data back
  swu.fleet.software_update:
    name: tz-data
    state: absent
  delegate_to: localhost
"""

RETURN = r"""
update:
  description: The update acted on, C(name-version).
  returned: when the update was found
  type: str
  sample: mgmt-webapp-4.2.0
action:
  description: What was done, or in check mode what would be done.
  returned: always
  type: str
  choices: [none, apply, wait, schedule, reschedule, unschedule, rollback]
operation:
  description: How the apply or roll-back ended (C(progress_code), C(progress), C(status_text)).
  returned: when one ran
  type: dict
  sample: {progress_code: 0, progress: Completed, status_text: Applied tz-data 2024a}
window:
  description: The window the update is scheduled in, as the server took it.
  returned: when scheduled or rescheduled
  type: dict
identifier:
  description: The provider's error identifier, when the server failed or refused with one.
  returned: on failure, when known
  type: str
  sample: SWU_Softinv_PatchScheduleFailed
"""

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.swu.fleet.plugins.module_utils.swu import (
    EXIT_TIMEOUT, Swu, SwuFailure, cimom_argument_spec, matching, one_version, parse_moment,
    same_moment)


class Change(object):
    """One decision: the swu command to run (None: nothing to do) and the message."""

    def __init__(self, action, message, command=None):
        self.action = action
        self.message = message
        self.command = command


def split_name(name, version, status):
    """`name-version` given as the name, when the server knows it so."""
    if version is not None:
        return name, version
    for records in (status["available"], status["history"], status["scheduled"],
                    status["active"]):
        for r in records:
            if "%s-%s" % (r["name"], r["version"]) == name:
                return r["name"], r["version"]
    return name, None


def waiting(params):
    if params["wait"]:
        return ["--wait", str(params["wait_timeout"])]
    return ["--no-wait"]


def decide(params, status):
    state = params["state"]
    name, version = split_name(params["name"], params["version"], status)
    lists = {"applied": ("available", "history", "active"),
             "absent": ("history",),
             "scheduled": ("available", "scheduled"),
             "unscheduled": ("scheduled",)}[state]
    version, ambiguity = one_version(name, version, *[status[key] for key in lists])
    if ambiguity:
        return None, Change("none", ambiguity)
    if version is None:
        where = {"applied": "the cache", "scheduled": "the cache"}.get(state)
        if where is None:
            return name, Change("none", "%s is not %s" % (
                name, "applied" if state == "absent" else "scheduled"))
        return name, Change("missing", "%s is not in %s; fetch it first" % (name, where))
    update = "%s-%s" % (name, version)

    def on(key):
        return matching(status[key], name, version)

    if state == "applied":
        if on("history"):
            return update, Change("none", "%s is applied" % update)
        if on("active"):
            return update, Change("wait", "%s is being applied; waiting for it" % update,
                                  ["wait"] + waiting(params))
        if not on("available"):
            return update, Change("missing", "%s is not in the cache; fetch it first" % update)
        command = ["apply", update] + waiting(params)
        for component in params["components"]:
            command += ["--with", component]
        return update, Change("apply", "%s applied" % update, command)
    if state == "absent":
        record = on("history")
        if not record:
            return update, Change("none", "%s is not applied" % update)
        if record[0].get("removable") is False:
            return update, Change("refused", "%s cannot be rolled back" % update)
        return update, Change("rollback", "%s rolled back" % update,
                              ["rollback", update] + waiting(params))
    if state == "unscheduled":
        if not on("scheduled"):
            return update, Change("none", "%s is not scheduled" % update)
        return update, Change("unschedule", "%s taken off the schedule" % update,
                              ["unschedule", update])
    window = params["window"]
    times = ["--at", window["start"]]
    if window.get("end"):
        times += ["--until", window["end"]]
    scheduled = on("scheduled")
    if scheduled:
        if same_moment(scheduled[0].get("apply_date"), window["start"]):
            return update, Change("none", "%s is scheduled for %s" % (update, window["start"]))
        return update, Change("reschedule", "%s moved to %s" % (update, window["start"]),
                              ["reschedule", update] + times)
    if not on("available"):
        return update, Change("missing", "%s is not in the cache; fetch it first" % update)
    return update, Change("schedule", "%s scheduled for %s" % (update, window["start"]),
                          ["schedule", update] + times)


def check_window(module):
    window = module.params["window"]
    if module.params["state"] != "scheduled":
        if window:
            module.fail_json(msg="window is only for state=scheduled")
        return
    if not window:
        module.fail_json(msg="state=scheduled needs a window")
    for key in ("start", "end"):
        text = window.get(key)
        if text is not None and parse_moment(text) is None:
            module.fail_json(msg="window.%s: %r is not YYYY-MM-DD HH:MM[:SS] with an optional "
                                 "Z or +HH:MM" % (key, text))
    if window.get("end") and parse_moment(window["end"]) <= parse_moment(window["start"]):
        module.fail_json(msg="window.end must come after window.start")
    if module.params["components"]:
        module.fail_json(msg="components are chosen when the update is applied, not scheduled")


def main():
    module = AnsibleModule(
        argument_spec=cimom_argument_spec(
            name=dict(type="str", required=True),
            version=dict(type="str"),
            state=dict(type="str", default="applied",
                       choices=["applied", "scheduled", "unscheduled", "absent"]),
            components=dict(type="list", elements="str", default=[]),
            window=dict(type="dict", options=dict(start=dict(type="str", required=True),
                                                  end=dict(type="str"))),
            wait=dict(type="bool", default=True),
            wait_timeout=dict(type="int", default=3600),
        ),
        supports_check_mode=True,
    )
    check_window(module)
    swu = Swu(module)
    try:
        status = swu.status()
    except SwuFailure as failure:
        swu.fail(failure, action="none")
    update, change = decide(module.params, status)
    result = dict(action=change.action)
    if update:
        result["update"] = update
    if change.action == "missing" and module.check_mode:
        # An earlier fetch task of the same play did not run in check mode either.
        module.warn(change.message)
        module.exit_json(changed=True, msg="would be applied once fetched", **result)
    if change.action in ("missing", "refused") or (change.action == "none" and not update):
        result["action"] = "none"
        module.fail_json(msg=change.message, **result)
    if change.command is None:
        module.exit_json(changed=False, msg=change.message, **result)
    if module.check_mode:
        if change.action == "wait":
            module.exit_json(changed=False, msg=change.message, **result)
        module.exit_json(changed=True, msg="would %s %s" % (change.action, update), **result)
    try:
        document = swu.run(*change.command)
    except SwuFailure as failure:
        message = str(failure)
        if failure.document.get("exit_code") == EXIT_TIMEOUT:
            message = "%s: still running after %d s (it goes on on the server)" % (
                update, module.params["wait_timeout"])
        swu.fail(SwuFailure(message, failure.document), **result)
    for key in ("operation", "window"):
        if document.get(key):
            result[key] = document[key]
    module.exit_json(changed=change.action != "wait", msg=change.message, **result)


if __name__ == "__main__":
    main()
