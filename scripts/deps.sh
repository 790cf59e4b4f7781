#!/usr/bin/env bash
# Makes sure the Debian packages Kavendel needs are installed. As root it installs what is
# missing with apt-get; otherwise it prints the exact apt-get line and fails.
# Usage: scripts/deps.sh build|run
set -euo pipefail

runtime=(libqt6widgets6 libqt6gui6 qt6-qpa-plugins libjpeg62-turbo libcreg1 fonts-ipafont-gothic xdg-utils qemu-utils)
# Needed to configure at all: the compilers, Qt and libcreg, and the tools that make the manual page,
# the window icon, the packaged changelog and the English translation.
tools=(cmake ninja-build g++ pkg-config qt6-base-dev libjpeg62-turbo-dev libcreg-dev libbfio-dev scdoc librsvg2-bin
       dpkg-dev qt6-l10n-tools)
# The tests build disk images and read them back on their own (dosfstools, mtools), check written
# hives with two readers we did not write (libcreg-utils, libparse-win32registry-perl), and hold an
# image the way a running emulator does (qemu-system-x86).
build=("${tools[@]}" libgtest-dev libgmock-dev libbenchmark-dev libcpuid-dev appstream desktop-file-utils file
       dosfstools mtools libcreg-utils libparse-win32registry-perl qemu-system-x86)

case "${1:-build}" in
  run) wanted=("${runtime[@]}" "${tools[@]}" libgtest-dev libgmock-dev libbenchmark-dev) ;;
  *) wanted=("${runtime[@]}" "${build[@]}") ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

line="apt-get install -y --no-install-recommends ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "Kavendel needs these Debian packages. Install them as root, then run this again:" >&2
  echo "  sudo apt-get update && sudo $line" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
$line
