#!/usr/bin/env bash
# Outside CI: checks a changes patch with Wine's regedit as the reference reader. Wine imports
# BEFORE.reg and then the patch Kavendel makes from BEFORE.reg to AFTER.reg; that must give the
# same keys below KEY as Wine importing AFTER.reg alone.
# Usage: scripts/check-patch-wine.sh BEFORE.reg AFTER.reg 'HKEY_LOCAL_MACHINE\Software\Test'
set -euo pipefail
before=$(realpath "$1"); after=$(realpath "$2"); key=$3
kavendel=${KAVENDEL:-$(dirname "$0")/../build/app/kavendel}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT

"$kavendel" --machine "$work/machine" --import "$before" >/dev/null
"$kavendel" --machine "$work/machine" --snapshot >/dev/null
cp "$after" "$work/machine/registry.reg"
"$kavendel" --machine "$work/machine" --export-changes > "$work/patch.reg"

# One Wine prefix for each side, in the Japanese ANSI code page (CP932).
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all
side() {
  export WINEPREFIX="$work/$1"; shift
  wineboot -i >/dev/null 2>&1
  for file in "$@"; do wine regedit /s "$(winepath -w "$file")"; done
  wine regedit /e "$(winepath -w "$work/$(basename "$WINEPREFIX").out")" "$key"
  wineserver -w
}
side patched "$before" "$work/patch.reg"
side direct "$after"
if cmp -s "$work/patched.out" "$work/direct.out"; then
  echo "same tree below $key"
else
  echo "the patched tree differs below $key:" >&2
  diff <(iconv -f UTF-16 -t UTF-8 "$work/patched.out") <(iconv -f UTF-16 -t UTF-8 "$work/direct.out") >&2 || true
  exit 1
fi
