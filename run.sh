#!/usr/bin/env bash
# Builds Culinor (installing what is missing) and starts it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./setup.sh
echo "The main window is not built yet: the build is ready under build/."
