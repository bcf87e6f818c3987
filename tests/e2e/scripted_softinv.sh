#!/bin/sh
# A scripted stand-in for the platform's update tool, for the daemon's end-to-end tests: fixed
# listings in the tool's tab-separated layouts, and every call written to $E2E_TOOL_LOG (when
# set) so a test can see which commands a CIM operation caused. The daemon passes its own
# environment to the provider, and the provider passes it on to the tool.

if [ -n "$E2E_TOOL_LOG" ]; then
    printf '%s\n' "$*" >>"$E2E_TOOL_LOG"
fi

tab="$(printf '\t')"
line() {
    # Joins the arguments with tabs.
    out="$1"
    shift
    for field in "$@"; do
        out="$out$tab$field"
    done
    printf '%s\n' "$out"
}

case "$1" in
"")
    line kernel 2.6.5 "Operating System" "Tue Feb 10 22:00:00 2004"
    line netdrv 1.2 Driver "Wed Mar 03 10:30:00 2004"
    line cartridge 4.1 Other "Thu Apr 01 08:00:00 2004"
    ;;
--hist)
    line fixpack 1.0 "First fix pack" Security "Mon Jan 05 12:00:00 2004" Removable
    line oldfix 0.9 "Older fix" Bugfix "Fri Dec 12 09:00:00 2003" Permanent
    ;;
--sched)
    line patchA 2.0 "Patch A" "ftp://updates.example/patchA" "Mon Mar 01 09:00:00 2004" \
        "Sat Mar 06 02:00:00 2004" reboot "2 MB" Scheduled
    ;;
--apply)
    line patchB 3.1 "Patch B" "/media/usb/patchB" "Sun Mar 07 01:00:00 2004" none "1 MB" \
        Applying
    ;;
--cache)
    line patchC 1.5 "Patch C" "3 MB" reboot Available
    ;;
--files)
    printf 'c1.bin c2.bin\n'
    ;;
--components)
    printf 'core\nextras\n'
    ;;
-l)
    printf 'The long description of %s.\n' "$2"
    ;;
--errors)
    printf 'scripted tool error %s\n' "$2"
    ;;
--msched | --rback | --setinprogress)
    ;;
*)
    printf 'scripted tool: no script for: %s\n' "$*"
    exit 3
    ;;
esac
exit 0
