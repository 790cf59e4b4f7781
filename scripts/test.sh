#!/usr/bin/env bash
# Builds Kavendel and runs every test through ctest. Installs missing Debian packages first
# (as root). With CI=true, warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build
werror=OFF
[[ "${CI:-}" == "true" ]] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVENDEL_WERROR=$werror -DBUILD_TESTING=ON
cmake --build build -j "$(nproc)"
cd build && ctest --output-on-failure -j "$(nproc)"
