# -*- coding: utf-8 -*-
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    # The connection to one server's CIMOM, shared by every module of the collection.
    DOCUMENTATION = r"""
options:
  cimom_url:
    description:
      - Address of the server's CIMOM, C(http[s]://host[:port][/namespace]).
      - Taken from the environment variable C(SWU_URL) when not given.
    type: str
    default: http://127.0.0.1:5988
  cimom_user:
    description:
      - User name for the CIMOM. Taken from C(SWU_USER) when not given.
    type: str
  cimom_password:
    description:
      - Password of I(cimom_user). Taken from C(SWU_PASSWORD) when not given.
      - It reaches C(swu) through its environment, never its command line.
    type: str
  namespace:
    description:
      - CIM namespace of the update classes.
    type: str
    default: root/cimv2
  validate_certs:
    description:
      - Whether an HTTPS CIMOM's certificate is checked. C(false) is for test servers only.
    type: bool
    default: true
  ca_path:
    description:
      - A file of CA certificates to trust for HTTPS, beside the system's.
    type: path
  request_timeout:
    description:
      - Seconds one CIM request may take.
    type: int
    default: 120
  swu_path:
    description:
      - The C(swu) client, by name (searched on the PATH of the machine the module runs on) or by path.
    type: path
    default: swu
notes:
  - "The modules talk to the CIMOM over the network, so they usually run on the controller
    (C(connection: local) or C(delegate_to: localhost)) with C(swu) installed there."
requirements:
  - The C(swu) client on the machine that runs the module.
"""
