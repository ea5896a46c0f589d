#!/usr/bin/env bash
# Installs the built Debian package on a bare Debian 12, as a shop owner
# would: builds a minimal root file system (or reuses one), installs the
# package there with "apt-get install ./vexaro_*.deb", then, as an ordinary
# user, asks the program for its version and makes a shop with --init, and
# checks that the menu entry, the icon and the man page are in place (the
# menu entry is checked with desktop-file-validate, which must stay silent).
# Needs root and mmdebstrap (apt-get install mmdebstrap); takes a minute or
# two. Make the package first with ./setup.sh package.
#   tools/check-fresh-install.sh [ROOT_DIR] [PACKAGE.deb]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$(mktemp -d /tmp/vexaro-install.XXXXXX)}
deb=${2:-$(ls "$repo"/${VEXARO_BUILD_DIR:-build}/vexaro_*.deb 2>/dev/null | head -n 1)}

if [ "$(id -u)" != 0 ]; then echo "run as root (chroot and mount need it)" >&2; exit 2; fi
command -v mmdebstrap >/dev/null || { echo "mmdebstrap is missing: apt-get install mmdebstrap" >&2; exit 2; }
[ -f "$deb" ] || { echo "no package found: make it with ./setup.sh package, or name it" >&2; exit 2; }

if [ ! -x "$root/bin/bash" ]; then
  rm -rf "$root"
  echo "== building a fresh Debian 12 root in $root"
  mmdebstrap --variant=apt bookworm "$root" "deb http://deb.debian.org/debian bookworm main" \
             "deb http://deb.debian.org/debian bookworm-updates main" \
             "deb http://deb.debian.org/debian-security bookworm-security main"
fi

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
mkdir -p "$root/srv/install"
rm -f "$root"/srv/install/vexaro_*.deb
cp "$deb" "$root/srv/install/"

echo "== installing $(basename "$deb") inside the fresh root"
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive bash -euo pipefail -c '
cd /srv/install
apt-get update -q
apt-get install -y -q ./vexaro_*.deb
# Only for the check itself: the validator and a way to make a user.
apt-get install -y -q --no-install-recommends desktop-file-utils passwd
id clerk >/dev/null 2>&1 || useradd -m clerk
# No screen here: the offscreen platform stands in for the desktop.
as_clerk() { timeout 60 runuser -u clerk -- env HOME=/home/clerk QT_QPA_PLATFORM=offscreen "$@"; }
echo "== as the user clerk"
echo "\$ vexaro --version"
as_clerk vexaro --version
echo "\$ vexaro --init"
as_clerk vexaro --init
test -f /home/clerk/VEXARO/Database/CD.db
echo "== installed files"
for f in /usr/share/applications/org.vexaro.Vexaro.desktop /usr/share/metainfo/org.vexaro.Vexaro.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/vexaro.svg /usr/share/icons/hicolor/48x48/apps/vexaro.png \
         /usr/share/icons/hicolor/256x256/apps/vexaro.png /usr/share/man/man1/vexaro.1.gz /usr/bin/vexaro-shopgen; do
  test -f "$f" || { echo "missing: $f" >&2; exit 1; }
  echo "present: $f"
done
echo "\$ desktop-file-validate /usr/share/applications/org.vexaro.Vexaro.desktop"
desktop-file-validate /usr/share/applications/org.vexaro.Vexaro.desktop
echo "== the package installs and runs"
'
