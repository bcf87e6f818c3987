# -*- coding: utf-8 -*-
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
"""The whole run as one JSON document on standard output, for the fleet test to read:
{"plays": [{"tasks": [{"task": {"name"}, "hosts": {host: result}}]}], "stats": {host: counts}}.
ansible-core has no such callback of its own (it lives in a collection Debian does not ship)."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
name: report
type: stdout
short_description: The run as one JSON document
description:
  - Prints every task's result per host, and the recap counts, as one JSON document at the end.
"""

import json

from ansible.plugins.callback import CallbackBase


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = "stdout"
    CALLBACK_NAME = "report"

    def __init__(self):
        super(CallbackModule, self).__init__()
        self.plays = []

    def v2_playbook_on_play_start(self, play):
        self.plays.append({"play": {"name": play.get_name()}, "tasks": []})

    def v2_playbook_on_task_start(self, task, is_conditional):
        self.plays[-1]["tasks"].append({"task": {"name": task.get_name()}, "hosts": {}})

    def _record(self, result, **flags):
        outcome = dict(result._result)
        outcome.update(flags)
        # Results of a task arrive while it is the last one started in its play.
        for task in reversed(self.plays[-1]["tasks"]):
            if task["task"]["name"] == result._task.get_name():
                task["hosts"][result._host.get_name()] = outcome
                return

    def v2_runner_on_ok(self, result, **kwargs):
        self._record(result)

    def v2_runner_on_failed(self, result, ignore_errors=False):
        self._record(result, failed=True)

    def v2_runner_on_skipped(self, result):
        self._record(result, skipped=True)

    def v2_runner_on_unreachable(self, result):
        self._record(result, unreachable=True)

    def v2_playbook_on_stats(self, stats):
        summary = {}
        for host in sorted(stats.processed):
            summary[host] = stats.summarize(host)
        self._display.display(json.dumps({"plays": self.plays, "stats": summary},
                                         sort_keys=True, default=str))
