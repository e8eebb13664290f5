#!/usr/bin/env bash
# bench.sh — builds the Release tree (build-release) and prints one markdown
# table of what the game costs, each figure beside its floor or goal: sprites
# through the drawing API against hand-written GL, every level played through
# its recorded solution on the GL recorder, and the real binary's CPU and
# peak memory beside a bare window's. Not a test and not in CI: the figures
# depend on the machine and its load. See bench/README.md.
#
#   scripts/bench.sh              # all of it (about 5 minutes once built)
#   ORBEL_BENCH_SECONDS=5 scripts/bench.sh   # shorter CPU stretches
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${ORBEL_BENCH_BUILD:-build-release}
SECONDS_EACH=${ORBEL_BENCH_SECONDS:-10}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}

mkdir -p "$BUILD"
cmake -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DORBEL_TESTS=OFF -DORBEL_BENCH=ON >"$BUILD/bench-configure.log" 2>&1 ||
  { cat "$BUILD/bench-configure.log"; exit 1; }
cmake --build "$BUILD" -j"${ORBEL_BENCH_JOBS:-2}" --target orbel orbel_floor_window orbel_sprites_gl \
  orbel_level_cost orbel_game_cost >"$BUILD/bench-build.log" 2>&1 || { tail -40 "$BUILD/bench-build.log"; exit 1; }

OUT="$BUILD/bench-results"
mkdir -p "$OUT"
echo "bench: sprites on real GL" >&2
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$BUILD/bench/orbel_sprites_gl" >"$OUT/sprites.txt" \
  2>"$OUT/sprites.log" || { tail "$OUT/sprites.log" >&2; echo "bench: the sprites did not run" >&2; }
echo "bench: levels on the recorder" >&2
# No sound card is needed to count what a frame costs. One process a level,
# so no level loads with what an earlier one left in the caches.
: >"$OUT/levels.txt"
: >"$OUT/levels.log"
for level in 0 1 2 3 4 5 6; do
  ALSOFT_DRIVERS=null "$BUILD/bench/orbel_level_cost" "$level" >>"$OUT/levels.txt" 2>>"$OUT/levels.log" ||
    { grep level_cost "$OUT/levels.log" >&2; echo "bench: level $level did not finish" >&2; }
done
echo "bench: the real binary" >&2
"$BUILD/bench/orbel_game_cost" "$SECONDS_EACH" 1 2 3 4 5 6 >"$OUT/game.txt" 2>"$OUT/game.log" ||
  { grep game_cost "$OUT/game.log" >&2; echo "bench: a screen of the real binary did not come (figures missing below)" >&2; }

commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
echo
echo "Measured on $(date -u +%Y-%m-%d), commit $commit$(git diff --quiet HEAD 2>/dev/null || echo ' (with local changes)')."
echo
awk '
  FILENAME ~ /sprites/ { s[$1] = $2; next }
  FILENAME ~ /levels/  { l[$2, $3] = $4; if ($3 == "load_slowest_step") step[$2] = $4; seen[$2] = 1; next }
  FILENAME ~ /game/    { g[$1] = $2; next }
  function verdict(ok) { return ok ? "ok" : "**over**" }
  function name(n) { return n == 0 ? "hub" : n }
  function has(k) { return k in g }
  END {
    print "| measure | measured | goal / floor | |"
    print "|---|---|---|---|"
    if ("sprites_ratio_raw" in s) {
      printf "| 10,000 sprites: drawing API / raw GL (256-quad batches, texture bound once) | %.2fx (%.2f ms vs %.2f ms a frame) | <= 1.0x | %s |\n",
        s["sprites_ratio_raw"], s["sprites_api_ms"], s["sprites_raw_ms"], verdict(s["sprites_ratio_raw"] <= 1.0)
      printf "| 10,000 sprites: drawing API / raw GL toggling texturing per 256-quad batch | %.2fx (raw %.2f ms) | <= 1.0x | %s |\n",
        s["sprites_ratio_toggled"], s["sprites_raw_toggled_ms"], verdict(s["sprites_ratio_toggled"] <= 1.0)
    }
    draws = blend = upd = frm = alloc = load = ""; okd = okb = oka = okl = 1; unfinished = ""
    for (n = 0; n <= 6; n++) {
      if (!(n in seen)) continue
      sep = (draws == "") ? "" : " · "
      draws = draws sep sprintf("%s: %d (%d)", name(n), l[n, "draws_max"], l[n, "draws_median"])
      blend = blend sep sprintf("%s: %.2f", name(n), l[n, "blend_max"])
      upd = upd sep sprintf("%s: %.0f", name(n), l[n, "update_us"])
      frm = frm sep sprintf("%s: %.0f", name(n), l[n, "frame_us"])
      a = sprintf("%s: %d/%d", name(n), l[n, "alloc_updates"], l[n, "alloc_total"])
      if (l[n, "alloc_save"] > 0) a = a sprintf(" (+%d save)", l[n, "alloc_save"])
      alloc = alloc sep a
      load = load sep sprintf("%s: %.1f %s / %.1f", name(n), l[n, "load_slowest_ms"], step[n], l[n, "load_total_ms"])
      okd = okd && l[n, "draws_max"] <= 20
      okb = okb && l[n, "blend_max"] <= 2
      oka = oka && l[n, "alloc_total"] == 0
      okl = okl && l[n, "load_slowest_ms"] <= 20
      if (l[n, "finished"] != 1) unfinished = unfinished " " name(n)
      counted = l[n, "alloc_counted"]
    }
    if (draws != "") {
      printf "| draw calls per frame, max (median) | %s | <= 20 | %s |\n", draws, verdict(okd)
      printf "| blended pixels per frame, max, in 960x540 windows | %s | <= 2x | %s |\n", blend, verdict(okb)
      printf "| update CPU, median µs | %s | | |\n", upd
      printf "| frame CPU (update + drawing into the recorder), median µs | %s | | |\n", frm
      if (counted == 1)
        printf "| allocations: updates that allocate / allocations (save write apart) | %s | 0 | %s |\n", alloc, verdict(oka)
      printf "| load: slowest step ms (which) / all steps ms | %s | each step <= 20 ms | %s |\n", load, verdict(okl)
      if (unfinished != "") printf "| levels not played to their end | %s | | **check** |\n", unfinished
    }
    if (has("floor_bare_cpu") && has("title_cpu"))
      printf "| title CPU, %% of a core | %.1f %% (%.1fx bare) | <= 2x bare window (%.1f %%) | %s |\n",
        g["title_cpu"], g["title_cpu"] / (g["floor_bare_cpu"] > 0 ? g["floor_bare_cpu"] : 1), g["floor_bare_cpu"],
        verdict(g["title_cpu"] <= 2 * g["floor_bare_cpu"])
    if (has("level5_cpu"))
      printf "| level 5 CPU, %% of a core | %.1f %% | bare %.1f %%, with OpenAL %.1f %% | |\n",
        g["level5_cpu"], g["floor_bare_cpu"], g["floor_openal_cpu"]
    rss = ""; okr = 1; limit = g["floor_openal_rss_mb"] + 20
    split("hub level1 level2 level3 level4 level5 level6", keys, " ")
    for (i = 1; i <= 7; i++) {
      k = keys[i] "_rss_mb"
      if (!(k in g)) continue
      rss = rss (rss == "" ? "" : " · ") sprintf("%s: %.0f", i == 1 ? "hub" : i - 1, g[k])
      okr = okr && g[k] <= limit
    }
    if (rss != "")
      printf "| peak RSS (VmHWM), MB | %s | <= OpenAL floor + 20 = %.0f | %s |\n", rss, limit, verdict(okr)
    if (has("floor_bare_cpu"))
      printf "| floors: bare window / with one OpenAL source | CPU %.1f %% / %.1f %%, RSS %.0f / %.0f MB | | |\n",
        g["floor_bare_cpu"], g["floor_openal_cpu"], g["floor_bare_rss_mb"], g["floor_openal_rss_mb"]
  }' "$OUT/sprites.txt" "$OUT/levels.txt" "$OUT/game.txt"
echo
echo "Raw figures (every load step, medians, floors): $OUT/"
