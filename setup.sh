#!/usr/bin/env bash
# Installs the Debian packages Culinor needs to build and run (only those
# missing), and any further packages named as arguments, then configures and
# builds it in Release under build/. Safe to run again.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

packages=(
  g++ make cmake pkg-config
  qtbase5-dev libqt5sql5-sqlite libsqlite3-dev libqt5webkit5-dev
  qtmultimedia5-dev libqt5multimedia5-plugins
  gstreamer1.0-plugins-good gstreamer1.0-plugins-bad qttranslations5-l10n
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build --parallel "$(nproc)"
