#!/usr/bin/env bash
# --record never destroys anything: the level file played (through any path
# or link), a file that is not a recording and what is not a regular file are
# refused in one line before any window opens, and left as they were; the
# file is made or emptied only once the window is open, where an older
# recording (or an empty file) is overwritten.
source "$(dirname "$0")/lib.sh"
cd "$TMP/work"
make_level mine.txt
mkdir sub folder && mkfifo fifo
ln -s mine.txt link.txt && ln mine.txt hard.txt
printf 'to do: everything\n' >notes.txt
printf '# recorded by upshot 0.9\nframes 5\n' >old.txt
: >empty.txt
state() { stat -c '%s %Y %F' "$@"; md5sum mine.txt notes.txt old.txt; }
before=$(state mine.txt notes.txt old.txt empty.txt)

# refused LINE ARG...: status 2 and that line alone, after the program's
# name, within 10 s.
refused() {
  local line=$1 status=0
  shift
  env -u DISPLAY timeout 10 "$BUILD/upshot" "$@" >/dev/null 2>"$TMP/err" || status=$?
  [ $status -eq 2 ] && [ "$(cat "$TMP/err")" = "upshot: $line" ] || fail "upshot $*: status $status"
}
for same in mine.txt sub/../mine.txt "$TMP/work/mine.txt" link.txt hard.txt; do
  refused "$same: is the level file played; the recording would overwrite it" --level mine.txt --record "$same"
done
refused "notes.txt: is not a recording, so it is not overwritten" --record notes.txt
refused "mine.txt: is not a recording, so it is not overwritten" --record mine.txt
refused "fifo: is a FIFO; a recording goes to a regular file" --record fifo
refused "folder: is a directory; a recording goes to a regular file" --record folder
refused "/dev/null: is a character device; a recording goes to a regular file" --record /dev/null

# Without a window nothing is written: an older recording stays, a new one is not made.
for file in old.txt new.txt; do
  status=0
  env -u DISPLAY "$BUILD/upshot" --record $file 2>"$TMP/err" || status=$?
  [ $status -eq 1 ] || fail "--record $file without a display: status $status"
done
[ "$before" = "$(state mine.txt notes.txt old.txt empty.txt)" ] || fail "a refused file changed"
[ ! -e new.txt ] || fail "--record made new.txt without a window"

# With a window, an older recording and an empty file take the new run.
start_x
for file in old.txt empty.txt; do
  start_game upshot "$TMP/work" --level hard.txt --record $file
  quits "--record $file"
  head -1 $file | grep -q "^# recorded by upshot .* with --level hard.txt" || fail "$file holds $(head -3 $file)"
  grep -q "^frames 5$" $file && fail "$file kept the older recording"
  "$BUILD/upshot-replay" $file >/dev/null 2>"$TMP/err" || fail "the new $file does not replay"
done
echo "--record destroys nothing: ok"
