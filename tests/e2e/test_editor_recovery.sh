# Unsaved edits survive every way the editor can end: each leaves
# level.txt.recover holding exactly the edited grid; the next start opens it
# and says so, a save removes it, and leaving with nothing unsaved leaves none.
source "$(dirname "$0")/lib.sh"
g++ -o "$TMP/close_window" "$ROOT/tests/e2e/close_window.cpp" -lX11
w=$TMP/w
make_level "$TMP/empty.txt"
# The edit: Space steps the brush on from erase (to a block, or a walker when
# the frames come slowly), Enter places it under the cursor's start, row 257,
# column 1: field 2 of line 257.
edit() {
  hold space 0.25
  hold Return 0.1
}
# holds_edit FILE: FILE is the empty level with one object in that cell.
holds_edit() {
  local at=$((436 + 255 * 450 + 14))
  [[ $(editor_cell "$1") =~ ^\ (2|[4-9]|[1-9][0-9]|1[0-9][0-9]|20[0-4]),\ +$ ]] &&
    { head -c $at "$TMP/empty.txt"; editor_cell "$1" | tr -d '\n'; tail -c +$((at + 15)) "$TMP/empty.txt"; } | cmp -s - "$1"
}
# left WAY STATUS: the editor ended with STATUS and left the edited grid.
left() {
  wait_game
  [ "$STATUS" -eq "$2" ] || fail "$1 ended the editor with status $STATUS, not $2"
  holds_edit "$w/level.txt.recover" || fail "$1 left no recovery file with the edit (the folder holds: $(ls "$w"))"
  echo "$1: status $STATUS, the edit in level.txt.recover"
}
open_editor() { fresh_folder "$w" && start_game upshot-editor "$w"; }

start_x
open_editor && edit && hold Escape && left Escape 0
open_editor && edit && "$TMP/close_window" "$WIN" && left "the close button" 0
for sig in INT TERM HUP; do
  open_editor && edit && kill -$sig "$GAME" && left SIG$sig $((128 + $(kill -l $sig)))
done
# kill -9 gives no warning: what is left is the last refresh. The first edit
# is refreshed at once; a second (the next brush in the same cell) at once
# after it waits for the refresh interval, 3 s.
open_editor && edit && sleep 0.5 && first=$(editor_cell "$w/level.txt.recover")
edit && sleep 4 && kill -9 "$GAME" && left "kill -9 4 s after a second edit" 137
[ "$(editor_cell "$w/level.txt.recover")" != "$first" ] || fail "the second edit was not refreshed"
open_editor && edit && kill "$XPID" && XPID="" && left "the X server's end" 1

# The next start opens the edits and says from where; right Shift saves them
# and removes the recovery file; Escape with nothing unsaved leaves none.
cp "$w/level.txt.recover" "$TMP/recovered.txt"
start_x
start_game upshot-editor "$w"
grep -q "^upshot-editor: level.txt: opened the unsaved edits kept in level.txt.recover at 20" "$TMP/err" ||
  fail "the next start did not say it opened the recovery file"
hold Shift_R 0.05
for i in $(seq 50); do [ -e "$w/level.txt.recover" ] || break; sleep 0.1; done
[ ! -e "$w/level.txt.recover" ] || fail "the save did not remove the recovery file"
cmp -s "$TMP/recovered.txt" "$w/level.txt" || fail "the save after reopening does not hold the edits"
hold Escape && wait_game
[ "$(ls "$w")" = "$(printf 'data\nlevel.txt')" ] || fail "leaving with nothing unsaved left: $(ls "$w")"

# A recovery file that is no level: one line, left as it is, FILE opened as saved.
cp "$TMP/empty.txt" "$w/mine.txt" && touch -d "1 minute ago" "$w/mine.txt" && echo "no level" >"$w/mine.txt.recover"
start_game upshot-editor "$w" mine.txt
hold Escape && wait_game
[ "$(grep -c . "$TMP/err")" -eq 1 ] && grep -q "mine.txt.recover:1: .*not a level" "$TMP/err" ||
  fail "a recovery file that is no level was not reported in one line"
[ "$(cat "$w/mine.txt.recover")" = "no level" ] || fail "a recovery file that is no level was changed"
echo "reopened, saved and removed; a recovery file that is no level left as it is"
