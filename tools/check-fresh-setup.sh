#!/usr/bin/env bash
# Tries the README's set-up on a bare Debian 12, as a newcomer would meet it:
# builds a minimal root file system, copies a clean clone of this repository's
# HEAD into it and runs "./setup.sh test" (or the command given) there under
# chroot. Needs root and mmdebstrap (apt-get install mmdebstrap). Takes
# minutes; run it before changing the dependencies, not in CI.
#   tools/check-fresh-setup.sh [ROOT_DIR] [-- setup.sh arguments]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$(mktemp -d /tmp/vexaro-fresh.XXXXXX)}
shift $(( $# > 0 ? 1 : 0 )) || true
[ "${1:-}" = "--" ] && shift
args=("${@:-test}")

if [ "$(id -u)" != 0 ]; then echo "run as root (chroot and mount need it)" >&2; exit 2; fi
command -v mmdebstrap >/dev/null || { echo "mmdebstrap is missing: apt-get install mmdebstrap" >&2; exit 2; }

if [ ! -x "$root/bin/bash" ]; then
  rm -rf "$root"
  echo "== building a fresh Debian 12 root in $root"
  # Only apt and its essentials: everything else must come from setup.sh.
  mmdebstrap --variant=apt bookworm "$root" "deb http://deb.debian.org/debian bookworm main" \
             "deb http://deb.debian.org/debian bookworm-updates main" \
             "deb http://deb.debian.org/debian-security bookworm-security main"
fi

echo "== cloning $repo (HEAD) into $root/src/vexaro"
rm -rf "$root/src/vexaro"
mkdir -p "$root/src"
git clone -q --no-hardlinks "$repo" "$root/src/vexaro"

cleanup() {
  umount "$root/dev/shm" 2>/dev/null || true
  umount "$root/dev/pts" 2>/dev/null || true
  umount "$root/dev" 2>/dev/null || true
  umount "$root/proc" 2>/dev/null || true
}
trap cleanup EXIT
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount -t devpts devpts "$root/dev/pts" 2>/dev/null || true
mount -t tmpfs tmpfs "$root/dev/shm" 2>/dev/null || true
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

echo "== ./setup.sh ${args[*]} inside the fresh root"
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 bash -c "cd /src/vexaro && ./setup.sh ${args[*]}"
