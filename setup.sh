#!/usr/bin/env bash
# VEXARO set-up on Debian 12, as root or as a user who may sudo.
#   ./setup.sh run    install what is missing, build, start VEXARO on its own database
#   ./setup.sh test   install what is missing, build, run every test (SQLite and PostgreSQL)
#   ./setup.sh package  install what is missing, build, check and make the Debian package
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
  # the fuzz targets: clang, and its libFuzzer and sanitizer runtimes
  # (libclang_rt.fuzzer, libclang_rt.asan, libclang_rt.ubsan)
  clang libclang-rt-14-dev
)
BUILD_DIR=${VEXARO_BUILD_DIR:-build}

# What only ./setup.sh package needs: dpkg-shlibdeps (and the `file` command
# CPack finds programs with), the icon's PNG sizes, and the checks of the
# desktop entry and the AppStream metadata.
PACKAGE_TOOLS=(dpkg-dev file librsvg2-bin desktop-file-utils appstream)

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

# The libFuzzer targets (tests/fuzz), built with clang in a second build
# directory. The gate is repeatable, so that a commit passes or fails the same
# way on every machine: each target reads every input of its corpus
# (tests/fuzz/corpus/<target>, where the inputs that once failed are kept),
# then runs a fixed number of inputs grown from a fixed seed (about 20 s each
# here). No time limit, no reload of the folder while it runs, and Qt's hash
# seed fixed: the same commit makes the same inputs. VEXARO_FUZZ_SECONDS=N
# adds open-ended fuzzing of N seconds per target after that, which is not
# repeatable and so only runs when asked for. New inputs go to a scratch
# folder, not into the sources. Fails on any crash or sanitizer report, naming
# the target.
FUZZ_BUILD_DIR=${VEXARO_FUZZ_BUILD_DIR:-build-fuzz}
FUZZ_SEED=1
declare -A FUZZ_RUNS=([number]=1500000 [date]=1000000 [money_roundtrip]=400000 [locate]=25000)
FUZZ_TARGETS=(number date money_roundtrip locate)
fuzz() {
  CC=clang CXX=clang++ cmake -S . -B "$FUZZ_BUILD_DIR" -G Ninja -DVEXARO_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null \
    && cmake --build "$FUZZ_BUILD_DIR" -j2 || { echo "setup.sh: the fuzz targets do not build." >&2; return 1; }
  local scratch failed=0 t log runs root=$PWD
  scratch=$(mktemp -d)
  # One step of one target, in the scratch folder; says what failed.
  fuzz_step() {
    local t=$1 what=$2
    shift 2
    if ! (cd "$scratch" && QT_HASH_SEED=0 "$root/$FUZZ_BUILD_DIR/tests/fuzz/fuzz_$t" -rss_limit_mb=4096 "$@") >"$log" 2>&1; then
      echo "fuzz_$t: FAILED on $what (crash or sanitizer report); its output:" >&2
      grep -vE '^#[0-9]+\s+(NEW|REDUCE|pulse|INITED)' "$log" | tail -n 60 >&2
      echo "  the input that failed: the corpus file named above, or crash-*, leak-*, timeout-* in $scratch" >&2
      return 1
    fi
  }
  for t in "${FUZZ_TARGETS[@]}"; do
    mkdir -p "$scratch/$t"
    log="$scratch/$t.log"
    local corpus=() seeds=()
    if [ -d "tests/fuzz/corpus/$t" ]; then
      corpus=("$root/tests/fuzz/corpus/$t"/*)
      seeds=("$root/tests/fuzz/corpus/$t")
      fuzz_step "$t" "its corpus" "${corpus[@]}" || { failed=1; continue; }
    fi
    fuzz_step "$t" "seed $FUZZ_SEED" -seed="$FUZZ_SEED" -runs="${FUZZ_RUNS[$t]}" -reload=0 \
      "$scratch/$t" "${seeds[@]}" || { failed=1; continue; }
    echo "fuzz_$t: ${#corpus[@]} corpus inputs, ${FUZZ_RUNS[$t]} inputs from seed $FUZZ_SEED, no crash"
    if [ -n "${VEXARO_FUZZ_SECONDS:-}" ]; then
      fuzz_step "$t" "open-ended fuzzing" -max_total_time="$VEXARO_FUZZ_SECONDS" -print_final_stats=1 \
        "$scratch/$t" "${seeds[@]}" || { failed=1; continue; }
      runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$log" | tail -n 1)
      echo "fuzz_$t: ${runs:-?} more executions in $VEXARO_FUZZ_SECONDS s of open-ended fuzzing, no crash"
    fi
  done
  [ "$failed" = 0 ] && rm -rf "$scratch"
  return $failed
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
    fuzz_status=0
    fuzz || fuzz_status=$?
    cd "$BUILD_DIR"
    # Tests draw windows offscreen; no display is needed. CTest's summary
    # comes last; a fuzz failure still fails the command.
    ctest_status=0
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 1200 || ctest_status=$?
    if [ "$fuzz_status" != 0 ]; then
      echo "setup.sh: a fuzz target failed (see above)." >&2
      exit 1
    fi
    exit "$ctest_status"
    ;;
  package)
    PACKAGES+=("${PACKAGE_TOOLS[@]}")
    install_missing
    build
    desktop-file-validate packaging/org.vexaro.Vexaro.desktop
    appstreamcli validate --no-net packaging/org.vexaro.Vexaro.metainfo.xml
    rm -f "$BUILD_DIR"/vexaro_*.deb
    (cd "$BUILD_DIR" && cpack -G DEB)
    deb=$(ls "$BUILD_DIR"/vexaro_*.deb)
    dpkg-deb -f "$deb" Package Version Depends Recommends
    echo "setup.sh: the package is $deb (install it with: apt-get install ./$deb)"
    ;;
  *)
    echo "usage: $0 run|test|package" >&2
    exit 2
    ;;
esac
