#!/usr/bin/env bash
# Builds Culinor (installing what is missing) and runs every test headless.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./setup.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --parallel "$(nproc)"
