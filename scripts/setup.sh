#!/usr/bin/env bash
# Installs whatever this machine lacks to build, run and test Orbel
# (Debian 12 packages only). Safe to run again: it installs only what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ccache
  libglfw3-dev libgl-dev libx11-dev libopenal-dev libstb-dev libvorbis-dev libogg-dev zlib1g-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick x11-utils sox
)
if [ "${1:-}" = "--tests" ]; then
  PACKAGES+=(tiled desktop-file-utils appstream)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
