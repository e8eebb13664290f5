#!/usr/bin/env bash
# Builds the browser version into build-web/: the game's .js, .wasm and its
# preloaded .data from the same CMake project (Emscripten), and the page
# (web/) around them. The data generator is native, so a native build in
# build-web-tools/ makes the data first. Serve build-web/ over HTTP to play.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="${JOBS:-$(nproc)}"
# Debian's emcc finds its JavaScript parser among the system's node modules.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"

cmake -B build-web-tools -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBEL_TESTS=OFF -DORBEL_BENCH=OFF >/dev/null
cmake --build build-web-tools --target orbel_data -j"$JOBS"

emcmake cmake -B build-web -DCMAKE_BUILD_TYPE=Release -DORBEL_WEB_DATA_DIR="$PWD/build-web-tools/data" >/dev/null
cmake --build build-web --target orbel -j"$JOBS"
cp web/index.html web/*.js web/*.css build-web/
echo "Browser build ready in build-web/ (index.html, orbel.js, orbel.wasm, orbel.data)"
