#!/usr/bin/env bash
# Sets up, builds and runs every test. An optional argument names the preset
# (debug by default; asan runs the same tests under AddressSanitizer and UBSan).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-debug}"
bash scripts/setup.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
export QT_QPA_PLATFORM=offscreen
ctest --preset "$preset" --output-on-failure -j2
