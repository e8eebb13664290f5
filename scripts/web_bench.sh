#!/usr/bin/env bash
# Reports the browser build's budgets (not a test): download size, time from
# page load to the language menu, and a level's median frame in headless
# Chromium on SwiftShader. Builds the browser version first unless
# ORBEL_WEB_SKIP_BUILD=1.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${ORBEL_WEB_SKIP_BUILD:-0}" != 1 ]; then bash scripts/web_build.sh; fi
build-web-tools/orbel_datagen --fixtures tests/level/fixtures build-web-tools/test-levels \
    build-web-tools/test-levels/preview >/dev/null
cd tests/browser
[ -d node_modules ] || npm ci --no-audit --no-fund --silent
echo "machine load: $(cut -d" " -f1-3 /proc/loadavg) on $(nproc) cores"
node web_bench.mjs
