#!/usr/bin/env bash
# VEXARO set-up on Debian 12, as root or as a user who may sudo.
#   ./setup.sh run    install what is missing, build, start VEXARO on its own database
#   ./setup.sh test   install what is missing, build, run every test (SQLite and PostgreSQL)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql qt6-charts-dev qt6-multimedia-dev
  gstreamer1.0-plugins-good libcurl4-openssl-dev libsqlite3-dev libgl-dev
  postgresql python3-aiosmtpd poppler-utils xvfb fonts-dejavu-core fonts-liberation
)
BUILD_DIR=${VEXARO_BUILD_DIR:-build}

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

build() {
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$BUILD_DIR" -j2
}

case "${1:-}" in
  run)
    install_missing
    build
    exec "$BUILD_DIR/vexaro" "${@:2}"
    ;;
  test)
    install_missing
    build
    cd "$BUILD_DIR"
    # Tests draw windows offscreen; no display is needed.
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 1200
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
