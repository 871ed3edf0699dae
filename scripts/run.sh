#!/usr/bin/env bash
# Sets up, builds and starts Tunewagon from the program folder in the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec ./build/release/Tunewagon/tunewagon
