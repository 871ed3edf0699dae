#!/usr/bin/env bash
# Builds the libFuzzer targets (clang) and runs each over its kept corpus for a few seconds
# (the first argument, 5 by default). New inputs land in a scratch folder, so the kept corpus
# under fuzz/corpus stays as it is; a crash fails the script and leaves its input in the
# current folder (crash-<hash>).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"
TW_WITH_CLANG=1 bash scripts/setup.sh
cmake --preset fuzz >/dev/null
fuzzers=()
for source in fuzz/*Fuzzer.cpp; do
    fuzzers+=("$(basename "$source" .cpp)")
done
cmake --build --preset fuzz --target "${fuzzers[@]}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for fuzzer in "${fuzzers[@]}"; do
    corpus="fuzz/corpus/$fuzzer"
    if [[ ! -d "$corpus" ]]; then
        echo "fuzz.sh: $fuzzer has no corpus folder $corpus" >&2
        exit 1
    fi
    mkdir -p "$scratch/$fuzzer"
    echo "== $fuzzer for ${seconds}s"
    "build/fuzz/fuzz/$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
        "$scratch/$fuzzer" "$corpus"
done
