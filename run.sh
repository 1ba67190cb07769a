#!/usr/bin/env bash
# Builds Culinor (installing what is missing) and starts it. The program finds
# its pictures and language files in media/ and languages/ below its working
# directory, so it is started from the top of this repository.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./setup.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MESSAGE'

Culinor is built (build/culinor), but there is no display to show its window:
neither DISPLAY nor WAYLAND_DISPLAY is set.

Start it on a desktop session, or in a virtual X display with Xvfb:

    xvfb-run -a -s "-screen 0 1280x800x24" ./run.sh

(xvfb-run comes with the Debian package xvfb: sudo apt-get install xvfb)
MESSAGE
  exit 1
fi

exec ./build/culinor "$@"
