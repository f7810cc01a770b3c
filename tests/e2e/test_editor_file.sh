# The designer's loop in a real window: upshot-editor FILE opens a level that
# an earlier run saved, a walker is placed with the keys and saved with right
# Shift. The file then holds the walker with the next free code, and every
# other byte is as the earlier run wrote it.
source "$(dirname "$0")/lib.sh"

# The earlier run: the editor (headless) with walkers up to code 102, one of
# them in column 0, which only the export's own order keeps in its place, and
# two turrets; right Shift writes level.txt.
(cd "$TMP/work" && "$BUILD/upshot-replay" --start-mode editor >/dev/null) <<'SCRIPT' || fail "the earlier run failed"
set grid[120][0] 102
set grid[130][7] 40
set grid[140][20] 140
set grid[150][12] 190
frames 1 RSHIFT
frames 1 ESC
SCRIPT
mv "$TMP/work/level.txt" "$TMP/work/mine.txt"
cp "$TMP/work/mine.txt" "$TMP/earlier.txt"

start_x
start_game upshot-editor "$TMP/work" mine.txt
# The walker after 102 is 103, the last the editor hands out, so however many
# frames Enter is held, that one walker is placed.
place_at_cursor "$TMP/work/mine.txt" " 103,         "
at=$((436 + 255 * 450 + 14))
{ head -c $at "$TMP/earlier.txt"; printf ' 103,         '; tail -c +$((at + 15)) "$TMP/earlier.txt"; } >"$TMP/expected.txt"
cmp "$TMP/expected.txt" "$TMP/work/mine.txt" || fail "mine.txt differs from the earlier level with one walker"
echo "editor opened, placed walker 103 and saved mine.txt (brush reached after $TRIES presses of Space)"
