#!/usr/bin/env bash
# Builds the project and runs every test. Exits non-zero on any failure.
# VELK_PRESET=asan or VELK_PRESET=tsan runs the suite under the sanitizers (build-asan/, build-tsan/).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
ctest --preset "$VELK_PRESET" --timeout 600
