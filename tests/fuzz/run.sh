#!/usr/bin/env bash
# Builds the book loader's fuzz target with clang and runs it for a short while
# (CULINOR_FUZZ_SECONDS, default 20) from the seed books in corpus/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, skipped"
  exit 0
fi
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCULINOR_FUZZ=ON -DCULINOR_BUILD_GUI=OFF -DCULINOR_BUILD_TESTS=OFF -DCULINOR_BUILD_TOOLS=OFF \
  >/dev/null
cmake --build build-fuzz --target fuzz_openbook --parallel "$(nproc)" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/fuzz/corpus/* "$work/"
log="$work/fuzz.log"
if build-fuzz/fuzz_openbook -max_total_time="${CULINOR_FUZZ_SECONDS:-20}" -rss_limit_mb=2048 \
     -timeout=10 -artifact_prefix="$PWD/build-fuzz/" "$work" >"$log" 2>&1; then
  echo "fuzz: $(grep -E '^(#[0-9]+ +DONE|Done )' "$log" | tail -n 1)"
else
  tail -n 40 "$log"
  echo "fuzz: the book loader failed on an input; it is saved under build-fuzz/"
  exit 1
fi
