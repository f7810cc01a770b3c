# The editor in a real window: pick the block brush with Space, place it with
# Enter, export with right Shift, leave with Escape; level.txt must be exactly
# the template level with that one block.
source "$(dirname "$0")/lib.sh"
start_x
start_game upshot-editor "$TMP/work"

place_at_cursor "$TMP/work/level.txt" " 2,           "

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
echo "editor placement and export: ok (block brush after $TRIES presses of Space)"
