#!/usr/bin/env bash
# The main job: the whole road from a WBEM client through the daemon and the provider to the
# tool. The daemon and the stand-in tool are not in the tree yet; until they are, this builds
# the provider and its API layer and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSWU_BUILD_TESTS=OFF
cmake --build build/demo -j"$(nproc)"
echo "Built. The end-to-end demo arrives with the embedded daemon and the stand-in tool."
