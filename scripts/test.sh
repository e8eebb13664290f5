#!/usr/bin/env bash
# Installs what is missing, builds everything twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test of both
# builds under a virtual X display; then builds the browser version and plays
# it in headless Chromium (tests/browser).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
bash scripts/check_layers.sh
JOBS="$(nproc)"

run_suite() {  # build-dir, extra cmake args...
  local dir="$1"; shift
  cmake -B "$dir" -DORBEL_WERROR=ON "$@"
  cmake --build "$dir" -j"$JOBS"
  # -noreset: Xvfb otherwise resets whenever its last client disconnects,
  # and a test that connects during the reset cannot open the display.
  (cd "$dir" && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
      ctest --output-on-failure --timeout 600 -j"$JOBS")
}

if [ "${ORBEL_SKIP_PLAIN:-0}" != 1 ]; then
  echo "== plain build =="
  run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
if [ "${ORBEL_SKIP_SANITIZE:-0}" != 1 ]; then
  echo "== sanitizer build =="
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DORBEL_SANITIZE=ON -DORBEL_BENCH=OFF
fi
if [ "${ORBEL_SKIP_WEB:-0}" != 1 ]; then
  echo "== browser build =="
  JOBS="$JOBS" bash scripts/web_build.sh
  # The suite's own test maps, compiled by the native data generator.
  build-web-tools/orbel_datagen --fixtures tests/level/fixtures build-web-tools/test-levels \
      build-web-tools/test-levels/preview >/dev/null
  (cd tests/browser && npm ci --no-audit --no-fund --silent && node --test --test-concurrency=1)
fi
