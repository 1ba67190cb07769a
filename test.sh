#!/usr/bin/env bash
# Builds Culinor (installing what is missing) and runs every test headless:
# a short fuzzing run of the book loader, then every Qt Test suite through CTest.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
# Only the tests need these: the fuzzing compiler, PDF text for the printing
# tests, the language files' generator, and the tools that check the installed
# tree and the Debian package.
./setup.sh clang libclang-rt-14-dev poppler-utils python3 \
  desktop-file-utils appstream libxml2-utils shared-mime-info dpkg-dev
tests/fuzz/run.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --parallel "$(nproc)"
