# Unsaved edits survive every way the editor can end: each leaves
# level.txt.recover holding exactly the edited grid; the next start opens it
# and says so, a save removes it, and leaving with nothing unsaved leaves none.
# The recovery file is the editor's own: whatever else stands at its name is
# left as it is, and the edits go to the state folder. One editor per level.
source "$(dirname "$0")/lib.sh"
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
open_editor() { fresh_folder "$w" && start_game upshot-editor "$w" "$@"; }

start_x
open_editor && edit && hold Escape && left Escape 0
open_editor && edit && "$BUILD/tests/close_window" "$WIN" && left "the close button" 0
for sig in INT TERM HUP; do
  open_editor && edit && kill -$sig "$GAME" && left SIG$sig $((128 + $(kill -l $sig)))
done
# kill -9 gives no warning: what is left is the last refresh. The first edit
# is refreshed at once; a second (the brush placed a cell or two to the
# right) within the refresh interval.
open_editor && watch "$w" && edit && seen CREATE level.txt.recover && cp "$w/level.txt.recover" "$TMP/first.txt"
hold Right 0.1 && hold Return 0.1 && seen MOVED_TO level.txt.recover && kill -9 "$GAME" && wait_game
objects() { grep -o ' [1-9][0-9]*,' "$1" | wc -l; }
[ "$STATUS" -eq 137 ] && [ "$(objects "$w/level.txt.recover")" -eq $(($(objects "$TMP/first.txt") + 1)) ] ||
  fail "kill -9 after a second edit: status $STATUS, the second edit not in level.txt.recover"
echo "kill -9 after a second edit: status 137, both edits in level.txt.recover"
open_editor && edit && kill "$XPID" && XPID="" && left "the X server's end" 1

# The next start opens the edits and says from where; right Shift saves them
# and removes the recovery file; Escape with nothing unsaved leaves none.
cp "$w/level.txt.recover" "$TMP/recovered.txt"
start_x
watch "$w"
start_game upshot-editor "$w"
grep -q "^upshot-editor: level.txt: opened the unsaved edits kept in level.txt.recover at 20" "$TMP/err" ||
  fail "the next start did not say it opened the recovery file"
hold Shift_R 0.05
seen DELETE level.txt.recover
cmp -s "$TMP/recovered.txt" "$w/level.txt" || fail "the save after reopening does not hold the edits"
hold Escape && wait_game
[ "$(ls "$w")" = "$(printf 'data\nlevel.txt')" ] || fail "leaving with nothing unsaved left: $(ls "$w")"

# What else may stand at mine.txt.recover: each is left exactly as it is (a
# link's target too), the edits go to the state folder, and one line says so.
# An unreadable file needs an editor that is not the superuser; a file of
# another user needs one that is.
[ "$(id -u)" -ne 0 ] || { chmod 755 "$TMP" && rm -rf "$TMP/state" && mkdir -m 777 "$TMP/state"; }  # for nobody's editor
echo precious >"$TMP/precious"
looks() { ls -ld --time-style=full-iso "$1" && { [ -d "$1" ] || cat "$1"; }; }
for what in link garbage folder unreadable another; do
  fresh_folder "$w" && cp "$TMP/empty.txt" "$w/mine.txt" && touch -d "1 minute ago" "$w/mine.txt"
  editor=(upshot-editor)
  case $what in
    link) ln -s "$TMP/precious" "$w/mine.txt.recover"; line=": is a symbolic link" ;;
    garbage) echo "no level" >"$w/mine.txt.recover"; line=":1: .*; not a level" ;;
    folder) mkdir "$w/mine.txt.recover" ;  line=": is a folder" ;;
    unreadable | another)
      [ "$(id -u)" -eq 0 ] || { echo "not root: no $what file"; continue; }
      cp "$TMP/empty.txt" "$w/mine.txt.recover" && chown -R nobody:nogroup "$w" && line=": belongs to another user" ;;&
    unreadable)
      chmod 000 "$w/mine.txt.recover" && line=": cannot be read: Permission denied"
      editor=(/usr/bin/setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$BUILD/upshot-editor") ;;
  esac
  before=$(looks "$w/mine.txt.recover")
  start_game "${editor[0]}" "$w" "${editor[@]:1}" mine.txt
  # A press can be missed while a slow build starts: edit until it is kept.
  kept=$(sed -n 's/.* are kept in //p' "$TMP/err")
  watch "$(dirname "$kept")"
  for try in 1 2 3; do edit && seen CREATE "$(basename "$kept")" 5 && break; done
  hold Escape && wait_game
  [ "$STATUS" -eq 0 ] && holds_edit "$kept" ||
    fail "with $what at mine.txt.recover, Escape ended the editor with status $STATUS and the edit kept in '$kept'"
  [ "$(grep -c . "$TMP/err")" -eq 1 ] &&
    grep -q "^upshot-editor: mine.txt.recover$line; it is left as it is, and unsaved edits of mine.txt are kept in $kept$" "$TMP/err" ||
    fail "$what at mine.txt.recover: not one line saying where the edits go"
  [ "$(looks "$w/mine.txt.recover")" = "$before" ] ||
    fail "$what at mine.txt.recover was changed"
  [ "$(cat "$TMP/precious")" = precious ] || fail "the file a planted link points to was changed"
  rm -rf "$TMP/state/upshot"
  echo "$what at mine.txt.recover: left as it was; the edits kept in the state folder"
done

# One editor per level: a second one, on the same file through a link or,
# for a level not yet saved, through another path, says which process holds
# it and does not start; also once the first has saved, which puts a new file
# in the level's place. A killed editor blocks nobody, and its edits are
# opened by the next.
second() {
  local status=0
  (cd "$w" && exec timeout 30 "$BUILD/upshot-editor" "$1") 2>"$TMP/err2" || status=$?
  [ "$status" -eq 1 ] && [ "$(cat "$TMP/err2")" = "upshot-editor: $1 is being edited by process $GAME" ] ||
    fail "a second editor on $1 ended with status $status, saying: $(cat "$TMP/err2")"
}
fresh_folder "$w" && mkdir "$w/sub" && ln -s ../mine.txt "$w/sub/link.txt" && cp "$TMP/empty.txt" "$w/mine.txt"
watch "$w"
start_game upshot-editor "$w" mine.txt
second sub/link.txt
hold Shift_R 0.05 && seen MOVED_TO mine.txt
second mine.txt
edit && seen CREATE mine.txt.recover
kill -9 "$GAME" && wait_game
start_game upshot-editor "$w/sub" link.txt
grep -q "^upshot-editor: link.txt: opened the unsaved edits kept in ../mine.txt.recover" "$TMP/err" ||
  fail "the editor after a killed one did not open its edits"
hold Escape && wait_game
start_game upshot-editor "$w" new.txt
second sub/../new.txt
hold Escape && wait_game
echo "what stands at FILE.recover is left alone; one editor per level, and a killed one blocks nobody"
