#!/usr/bin/env bash
# The main job in one command: builds the daemon, the provider (a copy that runs the stand-in
# tool) and the stand-in tool, starts the daemon on a free loopback port with a fresh tool state,
# and walks the whole road with a real WBEM client, printing what each step does and answers.
#
#   bash scripts/demo.sh            the road, then everything is stopped and removed
#   bash scripts/demo.sh --serve    the daemon stays up for your own client until Ctrl-C
#   bash scripts/demo.sh --raw      also shows wbemcli's own answer lines where tables stand
#   bash scripts/demo.sh --keep     keeps the work directory (logs, tool state) at the end
#
# Root is needed only to install missing Debian packages. Writes go to build/demo (override
# with DEMO_BUILD_DIR) and to one temporary directory, removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}"

build=${DEMO_BUILD_DIR:-build/demo}
mkdir -p "$build"
log="$build/demo-build.log"
echo "Building the daemon, the provider and the stand-in tool in $build (log: $log);"
echo "the first build takes a few minutes ..."
started=$SECONDS
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSWU_BUILD_TESTS=OFF &&
       cmake --build "$build" -j"$(nproc)" --target swu_demo; } >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "demo: the build failed; the whole log is in $log" >&2
    exit 1
fi
echo "Built in $((SECONDS - started)) s."
echo

workdir=$(mktemp -d "${TMPDIR:-/tmp}/swu-demo.XXXXXX")
keep=0
for arg in "$@"; do
    [ "$arg" = --keep ] && keep=1
done
# The road stops its own daemon and web server; this catches what an abrupt end leaves: a pid
# file still present means that process was not stopped.
cleanup() {
    local pidfile pid
    for pidfile in "$workdir/cimomd.pid" "$workdir/update-server.pid"; do
        [ -f "$pidfile" ] || continue
        pid=$(cat "$pidfile" 2>/dev/null || true)
        case "$pid" in
            '' | *[!0-9]*) ;;
            *) kill -KILL -- "-$pid" 2>/dev/null || kill -KILL "$pid" 2>/dev/null || true ;;
        esac
    done
    [ "$keep" = 1 ] || rm -rf "$workdir"
}
trap cleanup EXIT

# In the background, so that a signal to this script reaches the road at once (a script's
# background jobs ignore SIGINT, hence TERM); the road then stops its daemon in order.
python3 examples/demo/road.py --paths "$build/examples/demo/demo_paths.json" \
    --workdir "$workdir" "$@" &
road=$!
trap 'kill -TERM "$road" 2>/dev/null || true' INT TERM HUP
status=0
while :; do
    wait "$road" && status=0 || status=$?
    kill -0 "$road" 2>/dev/null || break
done
exit "$status"
