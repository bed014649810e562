#!/usr/bin/env bash
# Builds Quillo and runs it. Give QUILLO_PRESET=release for an optimised build.
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${QUILLO_PRESET:-dev}"
scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

exec "build/$preset/src/ui/quillo"
