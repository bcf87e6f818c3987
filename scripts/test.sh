#!/usr/bin/env bash
# Installs what the build needs (Debian 12), then builds and tests the project in stages:
#   build      normal build, every test                                      (build/test)
#   memory     normal build of the daemon, the tool and the provider copies
#              only, and the daemon tests that bound its resident memory
#              (label "memory"), which mean nothing under the sanitizers     (build/test)
#   asan       AddressSanitizer + UndefinedBehaviorSanitizer, every test     (build/asan)
#   tsan       ThreadSanitizer, every test but the two long single-client
#              input matrices (label "matrix"), which add no threads of
#              their own to what the other daemon tests run                  (build/tsan)
#   fuzz       clang libFuzzer build, each fuzz target for a bounded time    (build/fuzz)
#   real-host  OpenWBEM's own daemon built from ../shared/openwbem-real, the
#              provider copies built against its headers, and the road, the
#              swu road and the differential wbemcli driver run against it
#              (and the driver against ours too)                  (build/real, build/test)
#   fleet      the Ansible collection: its sanity checks (ansible/lint.sh), then
#              ansible-playbook rolling updates across four of our daemons
#              (ansible/tests/fleet_test.py)                                 (build/test)
#   package    the Debian packages built from a clean copy, lintian, installed,
#              the daemon run as its unit runs it and driven with wbemcli,
#              reloaded, stopped, purged, nothing left (scripts/package-check.sh;
#              root)                                                  (/tmp/pkg-check.*)
# Any failing test, sanitizer report or fuzzer crash fails the run. The stage timings are
# printed at the end.
#
# Usage: scripts/test.sh [--quick | --full | --real-host | --fleet | --package] [CMake configure arguments...]
#   (default) memory, asan, tsan, fuzz, real-host, fleet and package: what CI runs; the fuzz corpora run
#             as tests under asan, with gcc
#   --quick   the normal build and every test: the fast check while working
#   --full    build, asan, tsan, fuzz, real-host, fleet and package
#   --real-host  the real-host stage alone
#   --fleet   the fleet stage alone
#   --package the package stage alone
# Environment: BUILD_DIR (normal build directory), SWU_FUZZ_SECONDS (per fuzz target,
# default 20), SWU_FUZZ_RSS_MB (memory limit of one fuzz run, default 2048), SWU_SHARED_DIR
# (where openwbem-real/ is; default ../shared beside the repository), OWREAL (where OpenWBEM
# is built and installed; default /tmp/owreal).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

mode=checks
configure_args=()
for arg in "$@"; do
    case "$arg" in
    --quick) mode=quick ;;
    --full) mode=full ;;
    --real-host) mode=real ;;
    --fleet) mode=fleet ;;
    --package) mode=package ;;
    *) configure_args+=("$arg") ;;
    esac
done

if [ "$mode" = quick ]; then
    ensure_packages "${BUILD_PACKAGES[@]}"
else
    ensure_packages "${BUILD_PACKAGES[@]}" "${CHECK_PACKAGES[@]}"
fi

jobs=$(nproc)
fuzz_seconds=${SWU_FUZZ_SECONDS:-20}
fuzz_rss_mb=${SWU_FUZZ_RSS_MB:-2048}
timings=()

# Any sanitizer finding ends the test that made it, with a stack trace.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:check_initialization_order=1:strict_init_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan-suppressions.txt}

print_timings() {
    if [ "${#timings[@]}" -gt 0 ]; then
        echo "== stage timings"
        printf '   %s\n' "${timings[@]}"
    fi
}
trap print_timings EXIT

# run_stage <name> <command...>: runs the command and records how long it took.
run_stage() {
    local name=$1
    shift
    echo "== $name"
    local start=$SECONDS
    "$@"
    timings+=("$(printf '%-9s %4d s' "$name" $((SECONDS - start)))")
}

# build_and_test <dir> <ctest arguments> -- <configure arguments...>
build_and_test() {
    local dir=$1
    shift
    local ctest_args=()
    while [ "$1" != "--" ]; do
        ctest_args+=("$1")
        shift
    done
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DSWU_WERROR=ON "$@" "${configure_args[@]}"
    cmake --build "$dir" -j"$jobs"
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" "${ctest_args[@]}"
}

# The daemon tests whose memory bounds only a build without sanitizers can check, with only
# what they run built.
memory_bounds() {
    local dir=${BUILD_DIR:-build/test}
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DSWU_WERROR=ON "${configure_args[@]}"
    cmake --build "$dir" -j"$jobs" --target swu_demo cimom_hardening_provider
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" -L memory
}

# The vocabulary libFuzzer splices into a target's inputs, when it has one.
fuzz_dictionary() {
    case "$1" in
    cim_service | cimxml_decode) echo fuzz/dict/cimxml.dict ;;
    mof_text) echo fuzz/dict/mof.dict ;;
    esac
}

# One target's bounded run; its exit status is left beside its log for fuzz_all to read.
fuzz_one() {
    local dir=$1 target=$2 dictionary options
    dictionary=$(fuzz_dictionary "$target")
    options=(-max_total_time="$fuzz_seconds" -rss_limit_mb="$fuzz_rss_mb" -timeout=10
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/$target-")
    if [ -n "$dictionary" ]; then
        options+=(-dict="$dictionary")
    fi
    local rc=0
    "$dir/fuzz/fuzz_$target" "${options[@]}" "$dir/work/$target" "fuzz/corpus/$target" \
        >"$dir/logs/$target.log" 2>&1 || rc=$?
    echo "$rc" >"$dir/logs/$target.rc"
}

# Each target starts from its seed corpus plus what earlier runs in this build directory found,
# and stops after the bounded time or at its first crash, which it keeps under artifacts/. A
# fuzzer uses one core, so as many run at once as there are cores.
fuzz_all() {
    local dir=build/fuzz
    CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
        -DSWU_WERROR=ON -DSWU_BUILD_TESTS=OFF -DSWU_FUZZ=ON "${configure_args[@]}"
    cmake --build "$dir" -j"$jobs" --target fuzz_targets
    mkdir -p "$dir/artifacts" "$dir/logs"
    local failed=() summary=() targets=() seeds target log runs running=0
    for seeds in fuzz/corpus/*/; do
        target=$(basename "$seeds")
        targets+=("$target")
        mkdir -p "$dir/work/$target"
        rm -f "$dir/logs/$target.rc"
        if [ "$running" -ge "$jobs" ]; then
            wait -n || true
            running=$((running - 1))
        fi
        echo "-- fuzz_$target (${fuzz_seconds} s)"
        fuzz_one "$dir" "$target" &
        running=$((running + 1))
    done
    wait
    for target in "${targets[@]}"; do
        log="$dir/logs/$target.log"
        if [ "$(cat "$dir/logs/$target.rc" 2>/dev/null)" != 0 ]; then
            failed+=("$target")
            echo "-- fuzz_$target failed:"
            tail -n 40 "$log"
        fi
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
        summary+=("$(printf '%-22s %10s executions' "$target" "${runs:-?}")")
    done
    echo "== fuzz executions"
    printf '   %s\n' "${summary[@]}"
    if [ "${#failed[@]}" -gt 0 ]; then
        echo "fuzz targets that crashed: ${failed[*]} (inputs in $dir/artifacts/, logs in" \
            "$dir/logs/; replay one with $dir/fuzz/fuzz_<target> <input>)" >&2
        return 1
    fi
}

# OpenWBEM's own daemon as the second host. Its build is skipped when OWREAL already holds one.
real_host() {
    local shared=${SWU_SHARED_DIR:-$PWD/../shared}
    local build_script=$shared/openwbem-real/build.sh
    if [ ! -f "$build_script" ]; then
        echo "real-host: $build_script not found; put shared/ beside the repository or set" \
            "SWU_SHARED_DIR" >&2
        return 1
    fi
    ensure_packages "${REAL_HOST_PACKAGES[@]}"
    export OWREAL=${OWREAL:-/tmp/owreal}
    JOBS=$jobs bash "$build_script"
    local prefix=$OWREAL/inst real=build/real ours=${BUILD_DIR:-build/test}
    cmake -S . -B "$real" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSWU_WERROR=ON \
        -DSWU_OPENWBEM_PREFIX="$prefix"
    cmake --build "$real" -j"$jobs"
    cmake -S . -B "$ours" -DCMAKE_BUILD_TYPE=Debug -DSWU_WERROR=ON "${configure_args[@]}"
    cmake --build "$ours" -j"$jobs" --target swu_demo swu
    local paths=$ours/examples/demo/demo_paths.json
    local host=(--owreal "$prefix" --real-provider-dir "$real/examples/demo/providers")
    local failed=() check
    for check in road swu-road differential; do
        echo "-- $check against owcimomd"
        case "$check" in
        road) python3 tests/e2e/run_road.py --paths "$paths" --host real "${host[@]}" ;;
        swu-road) python3 client/tests/swu_road.py --swu "$ours/client/swu" --paths "$paths" \
            --host real "${host[@]}" ;;
        differential) python3 tests/e2e/run_differential.py --paths "$paths" "${host[@]}" ;;
        esac || failed+=("$check")
    done
    echo "real-host: $((3 - ${#failed[@]})) passed, ${#failed[@]} failed ${failed[*]}"
    [ "${#failed[@]}" -eq 0 ]
}

# The collection drives swu, so it is tested against the daemon, the demo's provider copy and
# swu of the normal build.
fleet() {
    ensure_packages "${FLEET_PACKAGES[@]}"
    local ours=${BUILD_DIR:-build/test}
    cmake -S . -B "$ours" -DCMAKE_BUILD_TYPE=Debug -DSWU_WERROR=ON "${configure_args[@]}"
    cmake --build "$ours" -j"$jobs" --target swu_demo swu
    bash ansible/lint.sh
    python3 ansible/tests/fleet_test.py --paths "$ours/examples/demo/demo_paths.json"
}

if [ "$mode" = real ]; then
    run_stage real-host real_host
run_stage fleet fleet
    exit 0
fi
if [ "$mode" = fleet ]; then
    run_stage fleet fleet
    exit 0
fi
if [ "$mode" = package ]; then
    run_stage package bash scripts/package-check.sh
    exit 0
fi
if [ "$mode" = checks ]; then
    run_stage memory memory_bounds
else
    run_stage build build_and_test "${BUILD_DIR:-build/test}" --
fi
if [ "$mode" = quick ]; then
    exit 0
fi
run_stage asan build_and_test build/asan -- -DSWU_SANITIZE=address,undefined
run_stage tsan build_and_test build/tsan -LE matrix -- -DSWU_SANITIZE=thread
run_stage fuzz fuzz_all
run_stage real-host real_host
run_stage fleet fleet
run_stage package bash scripts/package-check.sh
