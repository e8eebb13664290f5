#!/usr/bin/env bash
# Soak: the real game in the hub and the first level under a private Xvfb,
# fed random keys for a while. It must never crash, and its resident memory
# after the first minute must grow by less than 5 MB.
#
#   bash scripts/soak.sh [build-dir] [seconds]        (default: build, 600)
#   ORBEL_SOAK_VALGRIND=1 bash scripts/soak.sh build 120
#       the same under valgrind's leak check (slower: give it a shorter run);
#       the report is in the run folder's valgrind.log.
# With a sanitizer build (build-asan) LeakSanitizer reports at exit instead.
set -euo pipefail
BUILD="$(cd "${1:-build}" && pwd)"
SECONDS_TO_RUN="${2:-600}"
RUN="$(mktemp -d /tmp/orbel-soak-XXXXXX)"
ln -s "$BUILD/data" "$RUN/data"
printf '[general]\ndrivers = null\n' > "$RUN/alsoft.conf"

exec 3>"$RUN/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
for _ in $(seq 50); do [ -s "$RUN/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$RUN/display")"
trap 'kill "$XVFB" 2>/dev/null || true' EXIT

cd "$RUN"
if [ "${ORBEL_SOAK_VALGRIND:-0}" = 1 ]; then
  ALSOFT_CONF="$RUN/alsoft.conf" valgrind --leak-check=full --show-leak-kinds=definite,indirect \
      --log-file="$RUN/valgrind.log" "$BUILD/orbel" >"$RUN/game.log" 2>&1 &
  SLOW=10
else
  ALSOFT_CONF="$RUN/alsoft.conf" "$BUILD/orbel" >"$RUN/game.log" 2>&1 &
  SLOW=1
fi
GAME=$!

window() { xdotool search --pid "$GAME" --name '^Orbel DEMO$' 2>/dev/null | head -1 || true; }
for _ in $(seq $((60 * SLOW))); do W="$(window)"; [ -n "$W" ] && break; sleep 1; done
[ -n "${W:-}" ] || { echo "soak: no window"; cat "$RUN/game.log"; exit 1; }
key() { xdotool key --window "$W" "$1" 2>/dev/null || true; }

# Language menu → English; intro; title → the hub.
sleep $((3 * SLOW)); key Return
sleep $((12 * SLOW)); key Return
sleep $((4 * SLOW))

rss() { awk '/VmRSS/ {print $2}' "/proc/$GAME/status" 2>/dev/null || echo 0; }
KEYS=(Left Right Right Right Up Up Down Space Left Right)
START=$(date +%s)
BASE=""
PEAK=0
while :; do
  NOW=$(date +%s)
  ELAPSED=$((NOW - START))
  [ "$ELAPSED" -ge "$SECONDS_TO_RUN" ] && break
  kill -0 "$GAME" 2>/dev/null || { echo "soak: the game ended after ${ELAPSED}s"; cat "$RUN/game.log"; exit 1; }
  K=${KEYS[$((RANDOM % ${#KEYS[@]}))]}
  xdotool keydown --window "$W" "$K" 2>/dev/null || true
  sleep "0.$((RANDOM % 6 + 1))"
  xdotool keyup --window "$W" "$K" 2>/dev/null || true
  # Now and then the pause menu, closed again at once.
  if [ $((RANDOM % 40)) = 0 ]; then key Return; sleep 0.5; key Escape; fi
  R=$(rss)
  if [ -z "$BASE" ] && [ "$ELAPSED" -ge 60 ]; then BASE=$R; fi
  [ "$R" -gt "$PEAK" ] && PEAK=$R
done
END=$(rss)
kill "$GAME"
wait "$GAME" 2>/dev/null || true
echo "soak: ${SECONDS_TO_RUN}s of random keys, no crash"
echo "soak: resident after the first minute ${BASE:-?} kB, at the end ${END} kB, peak ${PEAK} kB"
if [ -n "$BASE" ]; then
  GROWTH=$((END - BASE))
  echo "soak: growth ${GROWTH} kB"
  [ "$GROWTH" -lt 5120 ] || { echo "soak: memory grew by 5 MB or more"; exit 1; }
fi
[ "${ORBEL_SOAK_VALGRIND:-0}" = 1 ] && grep -E "definitely lost|indirectly lost" "$RUN/valgrind.log" || true
echo "soak: run folder $RUN"
