# Unsaved edits survive every way the editor can end: each leaves
# level.txt.recover holding exactly the edited grid; the next start opens it
# and says so, a save removes it, and leaving with nothing unsaved leaves none.
source "$(dirname "$0")/lib.sh"
g++ -o "$TMP/close_window" "$ROOT/tests/e2e/close_window.cpp" -lX11
w=$TMP/w
# The edit: Space steps the brush from erase to block, Enter places it under
# the cursor's start, row 257, column 1.
make_level "$TMP/block.txt" 257 1 2
edit() {
  fresh_folder "$w"
  start_game upshot-editor "$w"
  hold space 0.25
  hold Return 0.1
}
# left WAY STATUS LEVEL: the editor ended with STATUS, leaving LEVEL as its recovery file.
left() {
  wait_game
  [ "$STATUS" -eq "$2" ] || fail "$1 ended the editor with status $STATUS, not $2"
  cmp -s "$3" "$w/level.txt.recover" || fail "$1 left no recovery file with the edits (the folder holds: $(ls "$w"))"
  echo "$1: status $STATUS, the edits in level.txt.recover"
}

start_x
edit && hold Escape && left Escape 0 "$TMP/block.txt"
edit && "$TMP/close_window" "$WIN" && left "the close button" 0 "$TMP/block.txt"
for sig in INT TERM HUP; do
  edit && kill -$sig "$GAME" && left SIG$sig $((128 + $(kill -l $sig))) "$TMP/block.txt"
done
# kill -9 gives no warning: what is left is the last refresh. The block is
# refreshed at once; a walker put in its place at once after (each frame of
# Enter places the next walker code) waits for the refresh interval, 3 s.
edit && hold space 0.25 && hold Return 0.1 && sleep 4 && kill -9 "$GAME"
walker=$(editor_cell "$w/level.txt.recover")
[[ $walker =~ ^\ ([4-9]|[1-9][0-9]|10[0-3]),\ +$ ]] || fail "after kill -9 the cell holds '$walker', not a walker"
at=$((436 + 255 * 450 + 14))
{ head -c $at "$TMP/block.txt"; printf '%s' "$walker"; tail -c +$((at + 15)) "$TMP/block.txt"; } >"$TMP/walker.txt"
left "kill -9 after 4 s" 137 "$TMP/walker.txt"
edit && kill "$XPID" && XPID="" && left "the X server's end" 1 "$TMP/block.txt"

# The next start opens the edits and says from where; right Shift saves them
# and removes the recovery file; Escape with nothing unsaved leaves none.
start_x
start_game upshot-editor "$w"
grep -q "^upshot-editor: level.txt: opened the unsaved edits kept in level.txt.recover at 20" "$TMP/err" ||
  fail "the next start did not say it opened the recovery file"
hold Shift_R 0.05
for i in $(seq 50); do [ -e "$w/level.txt.recover" ] || break; sleep 0.1; done
[ ! -e "$w/level.txt.recover" ] || fail "the save did not remove the recovery file"
cmp -s "$TMP/block.txt" "$w/level.txt" || fail "the save after reopening does not hold the edits"
hold Escape && wait_game
[ "$(ls "$w")" = "$(printf 'data\nlevel.txt')" ] || fail "leaving with nothing unsaved left: $(ls "$w")"

# A recovery file that is no level: one line, left as it is, FILE opened as saved.
cp "$TMP/block.txt" "$w/mine.txt" && touch -d "1 minute ago" "$w/mine.txt" && echo "no level" >"$w/mine.txt.recover"
start_game upshot-editor "$w" mine.txt
hold Escape && wait_game
[ "$(grep -c . "$TMP/err")" -eq 1 ] && grep -q "mine.txt.recover:1: .*not a level" "$TMP/err" ||
  fail "a recovery file that is no level was not reported in one line"
[ "$(cat "$w/mine.txt.recover")" = "no level" ] || fail "a recovery file that is no level was changed"
echo "reopened, saved and removed; a recovery file that is no level left as it is"
