#!/usr/bin/env bash
# Installs what is missing, builds the game and its data, and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target orbel -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Orbel needs a display to open its window, and none is set (DISPLAY is empty)."
  echo "On a machine without a screen, run it under a virtual one:  (cd build && xvfb-run -s '-screen 0 1280x720x24' ./orbel)"
  exit 1
fi
cd build && exec ./orbel
