#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds, tests and runs Velkora on a Debian 12 machine.
#   ./dev.sh run     build and start the editor on the demo data root (build/demo)
#   ./dev.sh test    build and run every test
#   ./dev.sh bench   build and run the benchmarks
#   ./dev.sh asan    build the core, the tool and the corpus replays with ASan + UBSan and test them
#   ./dev.sh deb     make the Debian package build/velkora_VERSION_ARCH.deb with dpkg-buildpackage
#   ./dev.sh format  check that every tracked C++ file is formatted as clang-format formats it
# Each command installs the Debian packages it needs when they are missing. VELKORA_WERROR=ON
# makes every warning of the builds an error (CI).
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)
BUILD=${VELKORA_BUILD_DIR:-$ROOT/build}
JOBS=$(nproc 2>/dev/null || echo 2)

# help2man makes the manual pages and rsvg-convert (librsvg2-bin) the PNG icons at build time.
BASE_PKGS=(cmake g++ make qt6-base-dev libgl-dev zlib1g-dev libgtest-dev libbenchmark-dev
    fonts-dejavu-core libpng-dev help2man librsvg2-bin)
# The installation test validates the desktop entry and the AppStream file with these; the TMX
# tests run the general-purpose tile map editor's tmxrasterizer (tiled) on exported maps; the
# Debian package test builds the package and checks it with lintian.
TEST_PKGS=(desktop-file-utils appstream tiled dpkg-dev debhelper lintian)
# The peer that map_render_bench times beside `map render`: tmxrasterizer of Debian's tiled.
BENCH_PKGS=(tiled)

need() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

configure() { # build-dir extra-cmake-args...
    local dir=$1; shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELKORA_WERROR="${VELKORA_WERROR:-OFF}" "$@" >/dev/null
}

cmd_run() {
    need "${BASE_PKGS[@]}"
    configure "$BUILD"
    cmake --build "$BUILD" -j "$JOBS" --target velkora velkora-tool
    if [ ! -d "$BUILD/demo" ]; then
        "$BUILD/tools/velkora-tool" make-demo "$BUILD/demo"
    fi
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        echo "There is no display to show the editor on (DISPLAY is not set)." >&2
        echo "Start it in a virtual display:  xvfb-run -a ./dev.sh run" >&2
        echo "or without any screen:          QT_QPA_PLATFORM=offscreen ./dev.sh run" >&2
        exit 1
    fi
    exec "$BUILD/shell/velkora" "$BUILD/demo"
}

cmd_test() {
    need "${BASE_PKGS[@]}" "${TEST_PKGS[@]}"
    configure "$BUILD"
    cmake --build "$BUILD" -j "$JOBS"
    cd "$BUILD"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS"
}

cmd_bench() {
    need "${BASE_PKGS[@]}" "${BENCH_PKGS[@]}"
    configure "$BUILD"
    cmake --build "$BUILD" -j "$JOBS"
    for b in "$BUILD"/bench/*_bench; do
        [ -x "$b" ] && QT_QPA_PLATFORM=offscreen "$b" --benchmark_repetitions=5 \
            --benchmark_report_aggregates_only=true
    done
}

cmd_asan() {
    need "${BASE_PKGS[@]}"
    local dir=$BUILD-asan
    configure "$dir" -DVELKORA_SANITIZE=ON -DVELKORA_GUI=OFF -DVELKORA_BENCH=OFF
    cmake --build "$dir" -j "$JOBS"
    cd "$dir"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --output-on-failure -j "$JOBS"
}

# The package as Debian builds it: dpkg-buildpackage with the rules in debian/ (Debian's build
# flags with hardening, no tests or benchmarks), then lintian on it where lintian is installed.
# The files land in build/; the tree is cleaned afterwards. (cpack -G DEB in build/ makes a
# quicker package of the development build.)
cmd_deb() {
    need cmake g++ make qt6-base-dev libgl-dev zlib1g-dev libpng-dev help2man librsvg2-bin \
        dpkg-dev debhelper
    local version arch
    version=$(dpkg-parsechangelog -SVersion)
    arch=$(dpkg-architecture -qDEB_HOST_ARCH)
    DEB_BUILD_OPTIONS="parallel=$JOBS" dpkg-buildpackage -us -uc -b
    mkdir -p "$BUILD"
    for f in ../velkora_"${version}_${arch}".{deb,buildinfo,changes} \
        ../velkora-dbgsym_"${version}_${arch}".deb; do
        if [ -f "$f" ]; then mv -f "$f" "$BUILD/"; fi
    done
    debian/rules clean >/dev/null
    if command -v lintian >/dev/null; then
        lintian "$BUILD/velkora_${version}_${arch}.deb"
    fi
    echo "Built $BUILD/velkora_${version}_${arch}.deb"
}

# The formatting check of CI: clang-format over the C++ files git tracks, changing nothing.
cmd_format() {
    need clang-format git
    local files=()
    mapfile -t files < <(git ls-files '*.cpp' '*.h')
    echo "clang-format $(clang-format --version | sed 's/.*version //'): ${#files[@]} files"
    clang-format --dry-run --Werror "${files[@]}"
}

case "${1:-}" in
run) cmd_run ;;
test) cmd_test ;;
bench) cmd_bench ;;
asan) cmd_asan ;;
deb) cmd_deb ;;
format) cmd_format ;;
*)
    sed -n '2,12p' "$0"
    exit 2
    ;;
esac
