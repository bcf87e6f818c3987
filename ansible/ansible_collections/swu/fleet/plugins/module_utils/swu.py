# -*- coding: utf-8 -*-
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
"""What the modules share: the connection options, running swu with --json, and reading an
update's place in the server's lists.

swu does the CIM-XML: it resolves names, re-reads an update's position before acting on it,
checks optional components before marking any, and maps every failure to one exit class. The
modules keep only the decisions Ansible needs: is anything to do, and did it work."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import datetime
import json
import os
import re

from ansible.module_utils.basic import env_fallback

CIMOM_ARGUMENT_SPEC = dict(
    cimom_url=dict(type="str", default="http://127.0.0.1:5988", fallback=(env_fallback, ["SWU_URL"])),
    cimom_user=dict(type="str", fallback=(env_fallback, ["SWU_USER"])),
    cimom_password=dict(type="str", no_log=True, fallback=(env_fallback, ["SWU_PASSWORD"])),
    namespace=dict(type="str", default="root/cimv2"),
    validate_certs=dict(type="bool", default=True),
    ca_path=dict(type="path"),
    request_timeout=dict(type="int", default=120),
    swu_path=dict(type="path", default="swu"),
)

# The absolute times swu's --at and --until take.
MOMENT = re.compile(r"\d{4}-\d{2}-\d{2}[ T]\d{2}:\d{2}(:\d{2})?(Z|[+-]\d{2}:\d{2})?$")

# swu's exit code when --wait seconds passed with the operation still running.
EXIT_TIMEOUT = 6


def cimom_argument_spec(**extra):
    spec = dict(CIMOM_ARGUMENT_SPEC)
    spec.update(extra)
    return spec


class SwuFailure(Exception):
    """swu ran and reported a failure; `document` is its JSON answer."""

    def __init__(self, message, document):
        super(SwuFailure, self).__init__(message)
        self.document = document


def describe_failure(document):
    """One line for a failed swu answer: the message, and the CIM status and the provider's
    error identifier when the server gave them."""
    error = document.get("error") or {}
    text = error.get("message") or "swu %s failed" % document.get("command", "")
    details = []
    if error.get("identifier"):
        details.append(error["identifier"])
    if error.get("cim_status_name"):
        details.append(error["cim_status_name"])
    if details:
        text += " [%s]" % ", ".join(details)
    if error.get("candidates"):
        text += "; known: %s" % ", ".join(error["candidates"])
    return text


class Swu(object):
    def __init__(self, module):
        self.module = module
        params = module.params
        binary = params["swu_path"]
        if os.sep not in binary:
            binary = module.get_bin_path(binary, required=True)
        self.prefix = [binary, "--json", "--quiet", "--url", params["cimom_url"],
                       "--namespace", params["namespace"],
                       "--timeout", str(params["request_timeout"])]
        if params["cimom_user"]:
            self.prefix += ["--user", params["cimom_user"]]
        if not params["validate_certs"]:
            self.prefix.append("--insecure")
        if params["ca_path"]:
            self.prefix += ["--cacert", params["ca_path"]]
        # swu never asks on a terminal here: without a password it fails as unauthenticated.
        self.environment = {"SWU_PASSWORD": params["cimom_password"] or ""}

    def run(self, *arguments):
        """Runs one swu command; returns its JSON document, or raises SwuFailure."""
        command = self.prefix + list(arguments)
        rc, out, err = self.module.run_command(command, environ_update=self.environment,
                                               data="", binary_data=True)
        try:
            document = json.loads(out)
        except ValueError:
            document = None
        if not isinstance(document, dict):
            raise SwuFailure("swu %s printed no JSON answer (exit %d): %s"
                             % (arguments[0], rc, (err or out).strip()[:2000]),
                             {"exit_code": rc})
        document.setdefault("exit_code", rc)
        if rc != 0 or document.get("ok") is not True:
            raise SwuFailure(describe_failure(document), document)
        return document

    def status(self):
        return self.run("status")

    def fail(self, failure, **result):
        """Ends the module with the failure's message and swu's own answer."""
        result["swu"] = failure.document
        error = failure.document.get("error") or {}
        if error.get("identifier"):
            result["identifier"] = error["identifier"]
        if failure.document.get("operation"):
            result["operation"] = failure.document["operation"]
        self.module.fail_json(msg=str(failure), **result)


def full_name(record):
    return "%s-%s" % (record["name"], record["version"])


def matching(records, name, version):
    return [r for r in records
            if r.get("name") == name and (version is None or r.get("version") == version)]


def one_version(name, version, *lists):
    """The version an update named without one means: the only version of that name in the
    given lists. Several versions are refused, as swu refuses them, so that a play never acts
    on a version nobody chose."""
    if version is not None:
        return version, None
    versions = sorted(set(r["version"] for records in lists for r in matching(records, name, None)))
    if len(versions) > 1:
        return None, "%s names several updates (%s); give its version" % (
            name, ", ".join("%s-%s" % (name, v) for v in versions))
    return (versions[0] if versions else None), None


def parse_moment(text):
    """An absolute time as swu takes it ("YYYY-MM-DD HH:MM[:SS]", local unless it ends with Z
    or +HH:MM), as an aware datetime. Relative times ("+2h", "now") are refused: a play that
    names a window must name the same one on every run, or it would never settle."""
    value = text.strip()
    if not MOMENT.match(value):
        return None
    if value.endswith("Z"):
        value = value[:-1] + "+00:00"
    try:
        moment = datetime.datetime.fromisoformat(value)
    except ValueError:
        return None
    if moment.tzinfo is None:
        moment = moment.astimezone()
    return moment


def same_moment(a, b):
    """Two ISO 8601 times, compared as instants; None when either does not parse."""
    first, second = parse_moment(a or ""), parse_moment(b or "")
    if first is None or second is None:
        return None
    return first == second
