#!/usr/bin/env bash
# VEXARO set-up on Debian 12, as root or as a user who may sudo.
#   ./setup.sh run    install what is missing, build, start VEXARO on its own database
#   ./setup.sh test   install what is missing, build, run every test (SQLite and PostgreSQL)
# The package list must be complete with --no-install-recommends on a bare
# Debian 12; tools/check-fresh-setup.sh proves it in a fresh root file system.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  # compiler and build
  cmake ninja-build g++ pkg-config
  # Qt: Widgets, Sql, PrintSupport, Network, Test come with qt6-base-dev; the
  # Charts CMake package needs the OpenGL module's CMake files (libqt6opengl6-dev)
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql qt6-charts-dev libqt6opengl6-dev
  qt6-multimedia-dev gstreamer1.0-plugins-good libgl-dev
  # mail, SQLite C API, PostgreSQL client library (lists read through a cursor)
  libcurl4-openssl-dev libsqlite3-dev libpq-dev
  # test peers: PostgreSQL (initdb, pg_ctl), SMTP server, PDF text, a real X screen, fonts
  postgresql python3 python3-aiosmtpd poppler-utils xvfb xauth fonts-dejavu-core fonts-liberation
  ca-certificates
  # the mail tests make the STARTTLS test server's certificate with it
  openssl
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

# The Debian package that usually provides a CMake package or Qt component.
package_for() {
  case "$1" in
    Charts|Qt6Charts) echo "qt6-charts-dev" ;;
    OpenGL|Qt6OpenGL|OpenGLWidgets|Qt6OpenGLWidgets) echo "libqt6opengl6-dev" ;;
    Multimedia|MultimediaWidgets|Qt6Multimedia|Qt6MultimediaWidgets) echo "qt6-multimedia-dev" ;;
    Core|Gui|Widgets|Sql|PrintSupport|Network|Test|Qt6|Qt6Core|Qt6Gui|Qt6Widgets|Qt6Sql|Qt6PrintSupport|Qt6Network|Qt6Test) echo "qt6-base-dev" ;;
    CURL) echo "libcurl4-openssl-dev" ;;
    SQLite3) echo "libsqlite3-dev" ;;
    PostgreSQL) echo "libpq-dev" ;;
    OpenGL::GL|WrapOpenGL|GL) echo "libgl-dev" ;;
    *) echo "" ;;
  esac
}

# Configures; on failure names what was not found and the package that gives
# it, instead of leaving the reader with CMake's page of text.
configure() {
  local log
  log=$(mktemp)
  if cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  echo "setup.sh: CMake could not configure the build." >&2
  local names
  names=$(sed -nE -e 's/.*Failed to find required Qt component "([A-Za-z0-9]+)".*/\1/p' \
                  -e 's/.*dependency ([A-Za-z0-9_]+) could not be found.*/\1/p' \
                  -e 's/.*Could NOT find ([A-Za-z0-9_:]+).*/\1/p' \
                  -e 's/.*package configuration file provided by "([A-Za-z0-9_]+)".*/\1/p' "$log" | sort -u)
  if [ -n "$names" ]; then
    local n pkg
    for n in $names; do
      pkg=$(package_for "$n")
      if [ -n "$pkg" ]; then
        echo "  missing: $n (usually in the Debian package $pkg: apt-get install --no-install-recommends $pkg)" >&2
      else
        echo "  missing: $n" >&2
      fi
    done
  fi
  echo "  CMake's own output: $log" >&2
  grep -E 'CMake Error|could not be found|Could NOT find' "$log" | head -n 8 >&2 || true
  exit 1
}

build() {
  configure
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
