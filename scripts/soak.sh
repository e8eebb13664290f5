#!/usr/bin/env bash
# Soak: the real game under a private Xvfb, fed random keys a minute at a
# time in the hub and in level 1 (whose pit restarts it now and then), going
# between them through the pause menu's TITLE SCREEN, the title and a walk
# into the hub's first door. It must never crash, and after the first
# minutes (a warm-up that builds each of those stages twice) its resident
# memory must grow by less than 5 MB over the warm-up's highest figure.
#
#   bash scripts/soak.sh [build-dir] [seconds]        (default: build, 600)
#       the seconds of random keys after the warm-up
#   ORBEL_SOAK_VALGRIND=1 bash scripts/soak.sh build 120
#       the same under valgrind's leak check (slower: give it a shorter run);
#       the report is in the run folder's valgrind.log.
#   ORBEL_SOAK_SLOW=3 bash scripts/soak.sh build-asan 180
#       a sanitizer build (-DORBEL_SANITIZE=ON): the game is ended with
#       Escape on the title, where (asked by ORBEL_LEAK_CHECK_AT_END) it runs
#       LeakSanitizer's check; a report lands in the run folder's game.log
#       and fails the script.
# The run folder keeps rss.log (seconds, resident kB, where the game was)
# and a screenshot a minute.
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
export ALSOFT_CONF="$RUN/alsoft.conf"
# A sanitizer build checks for leaks when the game ends the player's way
# (its orderly end skips the check of a normal exit unless asked).
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export ORBEL_LEAK_CHECK_AT_END=1
# Waits scale with ORBEL_SOAK_SLOW (2 or 3 suits a sanitizer build).
SLOW=${ORBEL_SOAK_SLOW:-1}
if [ "${ORBEL_SOAK_VALGRIND:-0}" = 1 ]; then
  valgrind --leak-check=full --show-leak-kinds=definite,indirect \
      --log-file="$RUN/valgrind.log" "$BUILD/orbel" >"$RUN/game.log" 2>&1 &
  SLOW=10
else
  "$BUILD/orbel" >"$RUN/game.log" 2>&1 &
fi
GAME=$!

window() { xdotool search --pid "$GAME" --name '^Orbel DEMO$' 2>/dev/null | head -1 || true; }
for _ in $(seq $((60 * SLOW))); do W="$(window)"; [ -n "$W" ] && break; sleep 1; done
[ -n "${W:-}" ] || { echo "soak: no window"; cat "$RUN/game.log"; exit 1; }
key() { xdotool key --window "$W" "$1" 2>/dev/null || true; }
hold() { xdotool keydown --window "$W" "$1" 2>/dev/null || true; sleep "$2"; xdotool keyup --window "$W" "$1" 2>/dev/null || true; }

# Mean brightness of the game's picture, 0..1.
brightness() { import -window root -crop 960x540+160+242 png:- 2>/dev/null | convert - -format '%[fx:mean]' info: 2>/dev/null || echo 0; }
bright_at_least() { awk -v b="$(brightness)" -v t="$1" 'BEGIN { exit !(b >= t) }'; }
rss() { awk '/VmRSS/ {print $2}' "/proc/$GAME/status" 2>/dev/null || echo 0; }
START=$(date +%s)
elapsed() { echo $(($(date +%s) - START)); }
PEAK=0
log() {
  local r
  r=$(rss)
  [ "$r" -gt "$PEAK" ] && PEAK=$r
  echo "$(elapsed) $r $1" >> "$RUN/rss.log"
}

# Pause menu → TITLE SCREEN → the title; Enter there → the hub afresh.
# Enter opens the menu only once a closing animation has ended, so each
# key waits a little.
to_title() {
  key Escape; sleep $((2 * SLOW)); key Return; sleep $((2 * SLOW))
  for _ in 1 2 3; do key Down; sleep $((1 * SLOW)); done
  key Return; sleep $((6 * SLOW))
}
to_hub() { key Return; sleep $((6 * SLOW)); }
# From the hub's start to the first door (the step before it needs a jump),
# then Down, nudging on until the picture fades to white: to the right
# first, then back to the left in case the walk went past it.
into_level1() {
  # A pause menu left open would take the keys.
  key Escape; sleep $((2 * SLOW))
  xdotool keydown --window "$W" Right; sleep 1.2; key Up; sleep 0.6; xdotool keyup --window "$W" Right
  sleep $((1 * SLOW))
  for try in $(seq 32); do
    key Down; sleep 0.3
    for _ in $(seq $((4 * SLOW))); do bright_at_least 0.8 && { sleep $((4 * SLOW)); return 0; }; sleep 0.5; done
    if [ "$try" -le 12 ]; then hold Right 0.35; else hold Left 0.35; fi
  done
  return 1
}

# Language menu → English; intro; title → the hub.
sleep $((3 * SLOW)); key Return
sleep $((12 * SLOW)); key Return
sleep $((4 * SLOW))
log hub

# Warm-up, not measured: every stage the soak visits is built twice, so
# that first-time fills (image and font caches, the allocator's pools)
# are behind the baseline. Resident memory depends on the stage shown (the
# hub and level 1 differ by several MB), so the baseline is the highest
# figure of the warm-up, and the measured part must stay within 5 MB of it.
LEVEL1_ENTRIES=0
for _ in 1 2; do
  into_level1 && LEVEL1_ENTRIES=$((LEVEL1_ENTRIES + 1))
  log level1; to_title; log title; to_hub; log hub
done

KEYS=(Left Right Right Right Up Up Down Space Left Right)
BASE=$PEAK
PEAK=0
PLACE=hub
PHASE_START=$(elapsed)
WARM_UP=$PHASE_START
LAST_LOG=0
LAST_SHOT=-60
# Random keys for a minute at a time, alternately in the hub and in level 1
# (reached through the title and a fresh hub).
while :; do
  ELAPSED=$(elapsed)
  [ $((ELAPSED - WARM_UP)) -ge "$SECONDS_TO_RUN" ] && break
  kill -0 "$GAME" 2>/dev/null || { echo "soak: the game ended after ${ELAPSED}s"; cat "$RUN/game.log"; exit 1; }
  R=$(rss)
  [ "$R" -gt "$PEAK" ] && PEAK=$R
  if [ $((ELAPSED - LAST_LOG)) -ge 10 ]; then log "$PLACE"; LAST_LOG=$ELAPSED; fi
  if [ $((ELAPSED - LAST_SHOT)) -ge 60 ]; then import -window root "$RUN/shot-$ELAPSED.png" 2>/dev/null || true; LAST_SHOT=$ELAPSED; fi
  if [ $((ELAPSED - PHASE_START)) -ge 60 ]; then
    to_title; to_hub
    if [ "$PLACE" = hub ] && into_level1; then
      LEVEL1_ENTRIES=$((LEVEL1_ENTRIES + 1))
      PLACE=level1
    else
      PLACE=hub
    fi
    PHASE_START=$(elapsed)
    continue
  fi
  K=${KEYS[$((RANDOM % ${#KEYS[@]}))]}
  hold "$K" "0.$((RANDOM % 6 + 1))"
  # Now and then the pause menu, closed again at once.
  if [ $((RANDOM % 40)) = 0 ]; then key Return; sleep 0.5; key Escape; fi
done
END=$(rss)
echo "soak: ${WARM_UP}s of warm-up, then ${SECONDS_TO_RUN}s of random keys in the hub and level 1 (entered ${LEVEL1_ENTRIES} times), no crash"
echo "soak: resident at most ${BASE} kB in the warm-up, at most ${PEAK} kB after it, ${END} kB at the end"
STATUS=0
[ "$END" -gt "$PEAK" ] && PEAK=$END
GROWTH=$((PEAK - BASE))
echo "soak: growth ${GROWTH} kB"
if grep -qa __asan_init "$BUILD/orbel"; then
  # AddressSanitizer keeps freed memory in quarantine: the figures say
  # little, and such a run is for leaks and faults.
  echo "soak: a sanitizer build; its memory figures are not judged"
elif [ "$GROWTH" -ge 5120 ]; then
  echo "soak: memory grew by 5 MB or more"
  STATUS=1
fi
[ "$LEVEL1_ENTRIES" -gt 0 ] || { echo "soak: never got into level 1"; STATUS=1; }
# The player's way out, so that leak checkers see an orderly end: the
# title, then Escape there.
for _ in 1 2 3; do
  to_title; key Escape
  for _ in $(seq $((10 * SLOW))); do kill -0 "$GAME" 2>/dev/null || break; sleep 1; done
  kill -0 "$GAME" 2>/dev/null || break
done
if kill -0 "$GAME" 2>/dev/null; then
  echo "soak: the game did not end on Escape at the title; stopped"
  kill "$GAME"
  STATUS=1
fi
CODE=0
wait "$GAME" 2>/dev/null || CODE=$?
echo "soak: the game ended with code $CODE"
if [ "${ORBEL_SOAK_VALGRIND:-0}" = 1 ]; then grep -E "definitely lost|indirectly lost" "$RUN/valgrind.log" || true; fi
if grep -q "LeakSanitizer" "$RUN/game.log"; then
  echo "soak: LeakSanitizer reports leaks (see $RUN/game.log)"
  grep -E "^(Direct|Indirect) leak|^SUMMARY" "$RUN/game.log" || true
  STATUS=1
fi
echo "soak: run folder $RUN"
exit $STATUS
