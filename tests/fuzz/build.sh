#!/usr/bin/env bash
# Builds the settings reader's fuzz target natively with clang (libFuzzer,
# address and undefined-behaviour sanitizers) into $1 (build/fuzz).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build/fuzz}
mkdir -p "$out"
clang++-14 -std=c++20 -g -O1 -Wall -Wextra -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I "$root" \
    "$root/tests/fuzz/profile_text_fuzzer.cpp" "$root/settings/profile_text.cpp" \
    "$root/settings/record.cpp" \
    -o "$out/profile_text_fuzzer"
