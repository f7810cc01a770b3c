#!/usr/bin/env bash
# Takes the README's pictures from the real game in a private X server:
# docs/title.png (the title screen), docs/play.png (a moment into level 2,
# among the first enemies) and docs/editor.png (the editor on level 2, a few
# rows up, the cursor at its start, top left).
# Usage: tools/screenshots.sh [BUILD_DIR] (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
source tests/e2e/lib.sh "${1:-build}"
start_x

# The enemies aim for real, so a run can end with the ship hit and the title
# back on screen; then try again.
for try in 1 2 3 4 5; do
  start_game upshot
  sleep 1
  shot title
  hold s
  hold Left 0.35     # round the first row of blocks
  xdotool keydown space
  hold Up 0.45       # and climb until the first walkers and turrets are in view
  hold Right 0.2
  xdotool keyup space
  shot play
  hold Escape
  wait_game
  changed=$(compare -metric AE "$TMP/title.png" "$TMP/play.png" null: 2>&1 || true)
  [ "${changed%% *}" -gt 20000 ] && break
done

# The editor opens a copy of level 2, so nothing of the tree is written.
cp src/level/level2.txt "$TMP/level.txt"
start_game upshot-editor "$ROOT" "$TMP/level.txt"
sleep 0.5
hold F3 0.2        # the view a few rows up, among the objects
shot editor
hold Escape
wait_game

mkdir -p docs
cp "$TMP/title.png" "$TMP/play.png" "$TMP/editor.png" docs/
echo "wrote docs/title.png, docs/play.png (play after $try tries) and docs/editor.png"
