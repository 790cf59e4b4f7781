#!/usr/bin/env bash
# Installs a Kavendel .deb on a fresh, minimal Debian 12 in a chroot and starts it: prints the
# version, makes a new machine folder and renders every page offscreen over it. Run as root; it
# needs debootstrap and the network. The chroot is made on first use and kept for later runs; give a
# new ROOT for a really fresh one.
# Usage: scripts/check-deb.sh DEB [ROOT]
#   NO_RECOMMENDS=1  install with --no-install-recommends, to prove that Depends alone suffice
set -euo pipefail

deb=$(realpath "${1:?usage: scripts/check-deb.sh DEB [ROOT]}")
root=${2:-/tmp/kavendel-deb12}
[[ $(id -u) -eq 0 ]] || { echo "check-deb.sh must run as root (debootstrap, chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }

if [[ ! -x "$root/usr/bin/apt-get" ]]; then
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
fi
mountpoint -q "$root/proc" || { mount -t proc proc "$root/proc"; trap 'umount "$root/proc"' EXIT; }

cp "$deb" "$root/tmp/"
name=$(basename "$deb")
extra=()
[[ "${NO_RECOMMENDS:-}" == 1 ]] && extra=(--no-install-recommends)
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }

in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "${extra[@]}" "/tmp/$name"
in_root kavendel --version
in_root rm -rf /tmp/m /tmp/s
in_root kavendel --machine /tmp/m --create
in_root kavendel --machine /tmp/m --screenshot /tmp/s
pages=$(find "$root/tmp/s" -name '*.png' | wc -l)
[[ -s "$root/tmp/m/registry.reg" && -s "$root/tmp/s/controls.tsv" && $pages -gt 0 ]] || {
  echo "FAIL: the machine folder or the rendered pages are missing" >&2
  exit 1
}
echo "OK: $name installed on Debian 12 in $root; $pages pages rendered to $root/tmp/s"
