#!/usr/bin/env bash
# Fails when a source file includes a folder above its own layer, so the map
# in docs/ARCHITECTURE.md stays true. Layers, bottom to top (folders on one
# line are siblings and do not include each other):
#
#   host
#   graphics  audio
#   app
#   framework
#   effects
#   level     stages
#   game
#   main.cpp
#
# A file may include its own folder and any folder on a lower line. Nothing in
# src/ may include the test doubles (tests/support).
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
  case "$1" in
    host) echo 0 ;;
    graphics | audio) echo 1 ;;
    app) echo 2 ;;
    framework) echo 3 ;;
    effects) echo 4 ;;
    level | stages) echo 5 ;;
    game) echo 6 ;;
    main) echo 7 ;;
    *) echo -1 ;;
  esac
}

bad=0
while IFS= read -r file; do
  rel="${file#src/}"
  from="${rel%%/*}"
  [ "$rel" = main.cpp ] && from=main
  from_rank="$(rank "$from")"
  if [ "$from_rank" -lt 0 ]; then
    echo "$file: folder '$from' is not a layer (add it to scripts/check_layers.sh and docs/ARCHITECTURE.md)"
    bad=1
    continue
  fi
  while IFS=: read -r line target; do
    to="${target%%/*}"
    to_rank="$(rank "$to")"
    if [ "$to_rank" -lt 0 ]; then
      echo "$file:$line: includes \"$target\", which is in no layer"
      bad=1
    elif [ "$to" != "$from" ] && [ "$to_rank" -ge "$from_rank" ]; then
      echo "$file:$line: $from includes $to (\"$target\"), which is not below it"
      bad=1
    fi
  done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$file" |
    sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/' || true)
done < <(find src -name '*.h' -o -name '*.cpp' | sort)

if [ "$bad" != 0 ]; then
  echo "Include check failed: the includes above run up the layers."
  exit 1
fi
echo "Include check: every include runs down the layers."
