# The editor in a real window: pick the block brush with Space, place it with
# Enter, export with right Shift, leave with Escape; level.txt must be exactly
# the template level with that one block.
source "$(dirname "$0")/lib.sh"
start_x
mkdir "$TMP/work"
ln -s "$ROOT/data" "$TMP/work/data"
start_game upshot-editor "$TMP/work"

# The held-frame counter for Space carries over between presses, so short
# presses walk through the brushes without skipping one. The cursor starts over
# row 257 (the view's top row 256, plus one), column 1: field 2 of line 257.
cell() { sed -n 257p "$TMP/work/level.txt" 2>/dev/null | cut -c15-28; }
for try in $(seq 15); do
  hold space 0.1
  hold Return
  hold Shift_R
  sleep 0.1
  [ "$(cell)" = " 2,           " ] && break
done
hold Escape
wait_game
[ "$STATUS" -eq 0 ] || fail "Escape ended the editor with status $STATUS"
[ "$(cell)" = " 2,           " ] || fail "no block at row 257, column 1 after $try tries"

# Line 1 holds row 1 from column 1, the rest rows 2..287 from column 0, to 31.
awk 'BEGIN {
  for (r = 1; r <= 287; r++) {
    for (c = (r == 1); c <= 31; c++) {
      v = (r == 1 && c == 1) ? 1014 : (r == 25 && c == 15) ? 1 : (r == 257 && c == 1) ? 2 : 0
      printf "%-14s", sprintf(" %d,", v)
    }
    printf "\r\n"
  }
}' >"$TMP/expected.txt"
[ "$(stat -c %s "$TMP/work/level.txt")" -eq 129136 ] || fail "level.txt is not 129136 bytes"
cmp "$TMP/expected.txt" "$TMP/work/level.txt" || fail "level.txt differs from the template with one block"
echo "editor placement and export: ok (block brush after $try presses of Space)"
