#!/bin/sh
# The tool path compiled into the hardening tests' provider copy: hands the call to the tool
# file the running test chose ($HARDEN_TOOL), so a test can remove it, take its execute bit
# away or swap its behaviour while the daemon runs, and the shell reports exactly what it
# would report for the real tool path.
exec "$HARDEN_TOOL" "$@"
