#!/usr/bin/env bash
# Builds Quillo with AddressSanitizer and UndefinedBehaviorSanitizer (warnings are errors) and
# runs every test: unit, integration (real local servers, started by the tests themselves) and
# gui (Qt offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset asan
cmake --build --preset asan
ctest --preset asan "$@"
