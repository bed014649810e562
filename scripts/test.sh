#!/usr/bin/env bash
# Builds Quillo with AddressSanitizer and UndefinedBehaviorSanitizer (warnings are errors) and
# runs every test: unit, integration (real local servers, started by the tests themselves), gui
# (Qt offscreen), crash and soak. Then builds with ThreadSanitizer and runs again the suites
# that start threads, and builds the libFuzzer targets with clang and runs each a bounded number
# of times. Each stage prints how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."

stage() {
    local name=$1 start=$SECONDS
    shift
    "$@"
    echo "== ${name}: $((SECONDS - start)) s"
}

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

scripts/install-deps.sh
stage "asan build" build asan
stage "asan tests" ctest --preset asan "$@"
stage "tsan build" build tsan
stage "tsan tests" ctest --preset tsan
stage "fuzz build" build fuzz
stage "fuzz runs" ctest --preset fuzz -j2
