#!/usr/bin/env bash
# Builds Culinor (installing what is missing) and runs every test headless:
# a short fuzzing run of the book loader, then every Qt Test suite through CTest.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./setup.sh
tests/fuzz/run.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --parallel "$(nproc)"
