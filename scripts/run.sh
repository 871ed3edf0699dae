#!/usr/bin/env bash
# Sets up, builds and starts Tunewagon from the program folder in the build tree. Only what it
# starts is built (the programs, the checker and their data: target tw_programs); the tests
# and benchmarks are built by scripts/test.sh or a plain `cmake --build --preset release`.
# Arguments are handed to the program (a playlist, then a destination folder).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tw_programs
exec ./build/release/Tunewagon/tunewagon "$@"
