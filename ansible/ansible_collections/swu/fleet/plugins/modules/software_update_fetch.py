#!/usr/bin/python
# -*- coding: utf-8 -*-
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: software_update_fetch
short_description: Fetch updates into a server's update cache, through its CIMOM
version_added: 0.1.0
description:
  - Has the server's update tool fetch the updates a source offers into its cache, and waits
    for the fetch to end.
  - With I(updates), nothing is fetched when every update named there is in the cache already.
    Without it the fetch always runs, and the task reports C(changed) only when the cache
    gained an update.
extends_documentation_fragment:
  - swu.fleet.cimom
options:
  url:
    description:
      - A network source, C(ftp://[user@]address/dir), C(http[s]://[user@]address/dir) or
        C(smb://[user@]address/share/dir), address IPv4, standard port.
      - A password in the URL is refused; use I(source_password).
    type: str
  usb:
    description:
      - A directory on a USB medium attached to the server.
    type: path
  disk:
    description:
      - A directory on the server's own disk.
    type: path
  element_manager:
    description:
      - Fetch what the element manager offers (C(true) only).
    type: bool
  source_password:
    description:
      - Password of the user named in I(url). It reaches C(swu) through a file only its owner
        can read, removed when the module ends.
    type: str
  updates:
    description:
      - Updates this source is expected to provide, as C(name) or C(name-version). When all of
        them are in the cache, the task does nothing; after a fetch, any of them still missing
        fails the task.
    type: list
    elements: str
    default: []
  wait_timeout:
    description:
      - Seconds to wait for the fetch to end; the task fails when it is still running then.
    type: int
    default: 3600
attributes:
  check_mode:
    description: Reports a fetch when one would run; nothing is fetched.
    support: full
author:
  - The software-update provider team (!UNKNOWN)
"""

EXAMPLES = r"""
- name: Fetch this month's updates from the update server
  swu.fleet.software_update_fetch:
    url: http://10.0.0.5/updates/2026-12
    updates: [kernel-security-fix-5.10.209-1, tz-data-2024a]
  delegate_to: localhost

- name: From an FTP server with a password kept in the vault
  swu.fleet.software_update_fetch:
    url: ftp://updates@10.0.0.5/pub
    source_password: "{{ vault_ftp_password }}"
  delegate_to: localhost
"""

RETURN = r"""
fetched:
  description: The updates (C(name-version)) that are in the cache now and were not before.
  returned: always
  type: list
  elements: str
  sample: [tz-data-2024a]
missing:
  description: Updates named in I(updates) that are not in the cache.
  returned: always
  type: list
  elements: str
operation:
  description: How the fetch ended, as the server reports it (C(progress), C(status_text)).
  returned: when a fetch ran
  type: dict
  sample: {progress_code: 0, progress: Completed, status_text: Fetched 7 of 7 updates from hd:/srv/updates}
identifier:
  description: The provider's error identifier, when the server refused or failed with one.
  returned: on failure, when known
  type: str
  sample: SWU_Softinv_FtpFailed
"""

import os
import tempfile

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.swu.fleet.plugins.module_utils.swu import (
    Swu, SwuFailure, cimom_argument_spec, full_name)


def missing_from(available, wanted):
    names = set(r["name"] for r in available)
    full = set(full_name(r) for r in available)
    return [w for w in wanted if w not in full and w not in names]


def source_arguments(params):
    if params["url"]:
        return [params["url"]]
    if params["usb"]:
        return ["--usb", params["usb"]]
    if params["disk"]:
        return ["--disk", params["disk"]]
    return ["--element-manager"]


def main():
    module = AnsibleModule(
        argument_spec=cimom_argument_spec(
            url=dict(type="str"),
            usb=dict(type="path"),
            disk=dict(type="path"),
            element_manager=dict(type="bool"),
            source_password=dict(type="str", no_log=True),
            updates=dict(type="list", elements="str", default=[]),
            wait_timeout=dict(type="int", default=3600),
        ),
        mutually_exclusive=[("url", "usb", "disk", "element_manager")],
        required_one_of=[("url", "usb", "disk", "element_manager")],
        required_by={"source_password": "url"},
        supports_check_mode=True,
    )
    params = module.params
    if params["element_manager"] is False:
        module.fail_json(msg="element_manager can only be true; name another source instead")
    swu = Swu(module)
    try:
        before = swu.run("list", "available").get("available", [])
    except SwuFailure as failure:
        swu.fail(failure)
    wanted = params["updates"]
    missing = missing_from(before, wanted)
    if wanted and not missing:
        module.exit_json(changed=False, fetched=[], missing=[],
                         msg="every named update is in the cache")
    if module.check_mode:
        module.exit_json(changed=True, fetched=[], missing=missing,
                         msg="a fetch would run")

    arguments = ["fetch"] + source_arguments(params) + ["--wait", str(params["wait_timeout"])]
    password_file = None
    try:
        if params["source_password"] is not None:
            descriptor, password_file = tempfile.mkstemp(prefix="swu-source-")
            with os.fdopen(descriptor, "w") as f:
                f.write(params["source_password"] + "\n")
        if password_file:
            arguments += ["--source-password-file", password_file]
        try:
            document = swu.run(*arguments)
            after = swu.run("list", "available").get("available", [])
        except SwuFailure as failure:
            swu.fail(failure)
    finally:
        if password_file:
            os.unlink(password_file)

    known = set(full_name(r) for r in before)
    fetched = sorted(full_name(r) for r in after if full_name(r) not in known)
    missing = missing_from(after, wanted)
    result = dict(changed=bool(fetched), fetched=fetched, missing=missing,
                  operation=document.get("operation"))
    if missing:
        module.fail_json(msg="the fetch ended, but the cache still lacks %s" % ", ".join(missing),
                         **result)
    module.exit_json(**result)


if __name__ == "__main__":
    main()
