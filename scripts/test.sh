#!/usr/bin/env bash
# Builds Quillo with AddressSanitizer and UndefinedBehaviorSanitizer (warnings are errors) and
# runs every test: unit, integration (real local servers, started by the tests themselves), gui
# (Qt offscreen) and crash. Then builds with ThreadSanitizer and runs again the suites
# that start threads. Each stage prints how long it took.
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
