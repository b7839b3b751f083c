#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a while on a working
# copy of its seed corpus. Usage: fuzz/run-fuzzers.sh [SECONDS-PER-TARGET] [PARALLEL]
# Findings are written as crash-*/timeout-*/oom-* files in build-fuzz/findings/<target>/.
# `fuzz/run-fuzzers.sh --list BUILD-DIR` prints the targets of a configured build and ends.
set -euo pipefail
# The targets, one a line, as fuzz/CMakeLists.txt defines them and CMake writes them.
targets() {
    cat "$1/fuzz/fuzz-targets.txt"
}
if [ "${1:-}" = --list ]; then
    targets "${2:?--list needs a configured build folder}"
    exit 0
fi
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-600}
PARALLEL=${2:-2}
BUILD=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DVELKORA_FUZZ=ON -DVELKORA_GUI=OFF \
    -DVELKORA_TESTS=OFF -DVELKORA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$PARALLEL"
run() {
    local t=$1
    local work="$BUILD/work/$t" out="$BUILD/findings/$t"
    mkdir -p "$work" "$out"
    cp -n fuzz/corpus/"$t"/* "$work"/ 2>/dev/null || true
    local maxlen=4096
    case "$t" in Params | TmxDecode) maxlen=16384 ;; esac
    (cd "$out" && ../../fuzz/${t}Fuzz -max_total_time="$SECONDS_EACH" -max_len=$maxlen \
        -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 "../../work/$t" \
        >"../$t.log" 2>&1) || echo "$t: finding, see $out and $BUILD/findings/$t.log"
    grep -E "^stat::(number_of_executed_units|average_exec_per_sec)|^Done" "$BUILD/findings/$t.log" |
        sed "s/^/$t: /"
}
export -f run
export BUILD SECONDS_EACH
targets "$BUILD" | xargs -P "$PARALLEL" -I{} bash -c 'run {}'
