# Every save is proved at once, and saved means on the disk. The editor opens
# a level through a symbolic link, with a wall of blocks across row 257 whose
# first block sits under the cursor's start, and prints one proof line after
# each save, and the link stays a link. A proof overtaken by a newer save is
# stopped. A save that fails (a read-only level, a full file system, a folder
# that takes no files) keeps the old file and says why, once a press; edits
# that can be kept nowhere end the editor with status 1.
source "$(dirname "$0")/lib.sh"
w=$TMP/w
walls=""
for c in 1 5 9 13 17 21 25 29; do walls="$walls 257 $c 2"; done
make_level "$TMP/wall.txt" $walls
fresh_folder "$w" && mkdir "$w/real" && cp "$TMP/wall.txt" "$w/real/wall.txt" && ln -s real/wall.txt "$w/mine.txt"

# proof_line N WORDS: waits for the Nth proof line, which must start with
# WORDS, and says how long it took. The wait is long: the sanitizer build's
# prover takes many times the normal one's (how soon the line comes is
# measured in docs/editor.md, not here).
proof_line() {
  local start i line
  start=$(date +%s%N)
  for i in $(seq 2400); do [ "$(grep -c 'be cleared' "$TMP/err")" -ge "$1" ] && break; sleep 0.05; done
  line=$(grep 'be cleared' "$TMP/err" | sed -n "$1p")
  [[ $line == "$2"* ]] || fail "proof line $1 is '$line', not '$2 ...'"
  echo "$line ($(((($(date +%s%N) - start) / 1000000))) ms after the save)"
}

start_x
start_game upshot-editor "$w" mine.txt
hold Shift_R 0.05
proof_line 1 "mine.txt cannot be cleared: no way up through the walls: the ship gets no higher than row 261; above it: block at (257, "
# Enter erases the first block (the first brush erases): a gap.
hold Return 0.1 && hold Shift_R 0.05
proof_line 2 "mine.txt can be cleared: the search cleared it from 20 of 20 clock seeds, the reference player from 20; family: "
# The block back (Space steps the brush to blocks): the wall again.
hold space 0.25 && hold Return 0.1 && hold Shift_R 0.05
proof_line 3 "mine.txt cannot be cleared"
hold Escape && wait_game
[ -L "$w/mine.txt" ] || fail "the level file is no longer a link"
cmp -s "$TMP/wall.txt" "$w/real/wall.txt" || fail "the link's target does not hold the last save"
[ "$(ls "$w" "$w/real" | tr '\n' ' ')" = "$w: data mine.txt real  $w/real: wall.txt " ] || fail "left behind: $(ls "$w" "$w/real")"

# Level 3 takes the prover longest; saved twice 0.15 s apart (one xdotool,
# so that the keys keep time), the first proof is stopped: one line.
cp src/level/level3.txt "$w/three.txt"
start_game upshot-editor "$w" three.txt
xdotool keydown Shift_R sleep 0.05 keyup Shift_R sleep 0.1 keydown Shift_R sleep 0.05 keyup Shift_R
proof_line 1 "three.txt can be cleared"
# Every proof has ended once the editor has no child left.
for i in $(seq 600); do pgrep -P "$GAME" >/dev/null || break; sleep 0.05; done
[ "$(grep -c 'be cleared' "$TMP/err")" -eq 1 ] || fail "the overtaken proof printed a line too"
hold Escape && wait_game

# A read-only level is not replaced: one line a press says so, and the edit
# is kept in the recovery file.
cp "$TMP/wall.txt" "$w/ro.txt" && chmod 444 "$w/ro.txt"
start_game upshot-editor "$w" ro.txt
hold Return 0.1 && hold Shift_R 0.3 && hold Escape && wait_game
[ "$STATUS" -eq 0 ] && [ "$(cat "$TMP/err")" = "upshot-editor: cannot save ro.txt: it is read-only" ] ||
  fail "a read-only level: status $STATUS"
cmp -s "$TMP/wall.txt" "$w/ro.txt" && [ -s "$w/ro.txt.recover" ] || fail "a read-only level was replaced, or the edit lost"
echo "a read-only level: not replaced, and said so once"

# A full disk: the second save fails for want of room for the new file beside
# the old one.
[ "$(id -u)" -eq 0 ] || { echo "not root: no small file system to fill"; exit 0; }
trap 'umount "$TMP/full" 2>/dev/null || true; cleanup' EXIT
mkdir "$TMP/full" && mount -t tmpfs -o size=200k tmpfs "$TMP/full" || fail "cannot mount a small file system"
ln -s "$ROOT/data" "$TMP/full/data"
start_game upshot-editor "$TMP/full"
hold Shift_R 0.05 && cp "$TMP/full/level.txt" "$TMP/first.txt"
hold space 0.25 && hold Return 0.1 && hold Shift_R 0.05
hold Escape && wait_game
grep -q "^upshot-editor: cannot save level.txt: cannot write it: No space left on device$" "$TMP/err" ||
  fail "the failed save did not say why"
cmp -s "$TMP/first.txt" "$TMP/full/level.txt" || fail "the failed save changed the old file"
[ "$(ls "$TMP/full" | tr '\n' ' ')" = "data level.txt " ] || fail "the full disk holds: $(ls "$TMP/full")"
umount "$TMP/full" && trap cleanup EXIT
echo "a save into a full file system kept the old file and said why"

# A folder that takes no files once the editor has started, and a state
# folder that cannot be made: each press of right Shift, however long it is
# held, says once that the save failed, and Escape says in one line that the
# edits are lost and ends with status 1. The editor is not the superuser's,
# who may write anywhere.
chmod 755 "$TMP" && fresh_folder "$w" && chown nobody "$w"
export XDG_STATE_HOME=$TMP/no_state
start_game /usr/bin/setpriv "$w" --reuid=nobody --regid=nogroup --clear-groups -- "$BUILD/upshot-editor"
chmod 555 "$w"
hold space 0.25 && hold Return 0.1 && hold Shift_R 0.3 && hold Shift_R 0.3 && hold Escape && wait_game
[ "$STATUS" -eq 1 ] &&
  [ "$(grep -c "^upshot-editor: cannot save level.txt: cannot create a temporary file beside it: Permission denied$" "$TMP/err")" -eq 2 ] &&
  [ "$(grep -c "^upshot-editor: level.txt: the unsaved edits are lost: cannot save level.txt.recover: cannot create a temporary file beside it: Permission denied$" "$TMP/err")" -eq 1 ] ||
  fail "a folder that takes no files: status $STATUS"
echo "a folder that takes no files: one line a press, and the edits lost said in one line, status 1"
