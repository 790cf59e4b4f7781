#!/usr/bin/env bash
# Builds Kavendel and runs it on a fresh copy of the demo machine folder. Without a display it
# renders every page to PNG files instead and says where they are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target kavendel
work=$(mktemp -d "${TMPDIR:-/tmp}/kavendel-demo.XXXXXX")
cp -r data/demo-machine "$work/machine"
echo "Machine folder: $work/machine"
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec build/app/kavendel --machine "$work/machine" "$@"
fi
echo "No display: rendering every page to $work/screenshots"
build/app/kavendel --machine "$work/machine" --screenshot "$work/screenshots" "$@"
echo "Pages and controls.tsv are in $work/screenshots"
