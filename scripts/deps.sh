#!/usr/bin/env bash
# Makes sure the Debian packages Kavendel needs are installed. As root it installs what is
# missing with apt-get; otherwise it prints the exact apt-get line and fails.
# Usage: scripts/deps.sh build|run
set -euo pipefail

runtime=(libqt6widgets6 libqt6gui6 qt6-qpa-plugins libjpeg62-turbo libcreg1 fonts-ipafont-gothic xdg-utils)
build=(cmake ninja-build g++ pkg-config qt6-base-dev libjpeg62-turbo-dev libgtest-dev libgmock-dev
       libbenchmark-dev libcpuid-dev libcreg-dev libbfio-dev appstream dpkg-dev file)

case "${1:-build}" in
  run) wanted=("${runtime[@]}" cmake ninja-build g++ pkg-config qt6-base-dev libjpeg62-turbo-dev libgtest-dev libgmock-dev libbenchmark-dev libcreg-dev libbfio-dev) ;;
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
