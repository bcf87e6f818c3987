#!/usr/bin/python
# -*- coding: utf-8 -*-
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: software_update_facts
short_description: Installed software and updates of a server, read through its CIMOM
version_added: 0.1.0
description:
  - Reads what a server's CIMOM knows about its software, the way C(swu status) and
    C(swu list installed) show it, and returns it as the fact C(software_update).
  - The fact holds the cartridge version, the installed packages, the updates that are available,
    scheduled and being applied, the history of applied updates, and the last operation's result.
  - It changes nothing on the server.
extends_documentation_fragment:
  - swu.fleet.cimom
options:
  installed:
    description:
      - Whether the list of installed packages is read too (one more request; long on servers
        with many packages).
    type: bool
    default: true
attributes:
  check_mode:
    description: Reading changes nothing, so it runs as it is.
    support: full
author:
  - The software-update provider team (!UNKNOWN)
"""

EXAMPLES = r"""
- name: Read every server's updates
  swu.fleet.software_update_facts:
    cimom_url: "https://{{ inventory_hostname }}:5989"
    cimom_user: "{{ cimom_user }}"
    cimom_password: "{{ cimom_password }}"
  delegate_to: localhost

- name: Servers that still lack the time zone data
  ansible.builtin.debug:
    msg: "{{ software_update.history | selectattr('name', 'equalto', 'tz-data') | list }}"
"""

RETURN = r"""
ansible_facts:
  description: The fact C(software_update).
  returned: always
  type: dict
  contains:
    software_update:
      description:
        - C(cartridge_version), C(installed_count), C(installed) (when read), C(available),
          C(scheduled), C(active), C(history) and C(last_operation).
        - Records carry C(name), C(version) and their class's fields as C(swu --json) prints
          them (see swu(1)); times are ISO 8601 with their offset.
      type: dict
      sample:
        cartridge_version: 3.1.0
        installed_count: 8
        installed:
          - {name: kernel, version: 5.10.205-1, classification: Operating System}
        available:
          - {name: tz-data, version: 2024a, status: Available, reboot_required: false}
        scheduled: []
        active: []
        history: []
        last_operation: {progress_code: 0, progress: Completed, status_text: No operation has run yet}
"""

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.swu.fleet.plugins.module_utils.swu import (
    Swu, SwuFailure, cimom_argument_spec)

FACT_FIELDS = ("cartridge_version", "installed_count", "available", "scheduled", "active",
               "history", "last_operation")


def main():
    module = AnsibleModule(argument_spec=cimom_argument_spec(installed=dict(type="bool",
                                                                            default=True)),
                           supports_check_mode=True)
    swu = Swu(module)
    try:
        status = swu.status()
        facts = dict((field, status.get(field)) for field in FACT_FIELDS)
        if module.params["installed"]:
            facts["installed"] = swu.run("list", "installed").get("installed", [])
    except SwuFailure as failure:
        swu.fail(failure)
    module.exit_json(changed=False, ansible_facts={"software_update": facts})


if __name__ == "__main__":
    main()
