#!/usr/bin/env bash
# Fails when any C++ source or header of the tree differs from what clang-format (the
# repository's .clang-format) would make of it; lists the places.
set -euo pipefail
cd "$(dirname "$0")/.."
find . \( -path ./build -o -path ./.git \) -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) \
    -print0 | xargs -0 clang-format --dry-run --Werror
echo "clang-format: every .cpp and .h is formatted"
