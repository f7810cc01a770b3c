#!/usr/bin/env bash
# A run played in the window (steering, firing, climbing to a death, a second
# game, Escape) and recorded with a level file; replayed headless, every
# picture a second X client saw in the window is among the replay's
# screenshots, frame by frame and in order, and so is every picture --watch
# shows, whatever keys are held meanwhile. A recording cut by kill -9 replays;
# one that outgrows the file size limit stops with one line and keeps its whole
# lines; a changed level file and an unwritable recording are refused before
# any window opens. Every wait is for the recording (or another file) to
# change, watched with inotifywait, never for a time.
source "$(dirname "$0")/lib.sh"
REPLAY=$BUILD/upshot-replay PICTURES=$BUILD/tests/window_pictures
cd "$TMP"
ln -s "$ROOT/data" data
# A level of its own, so that the run dies whatever the shipped levels hold:
# empty but for its anchors, with rows of walkers across the way from a
# little up to far up, whose shots a ship that climbs below them and waits
# meets for sure, however long the climb took.
awk '{ sub(/\r$/, ""); out = ""
       for (i = 0; i < length($0) / 14; i++) {
         v = substr($0, 14 * i + 1, 14) + 0
         if (v != 1 && v != 1014) v = 0
         if (NR <= 240 && (240 - NR) % 12 == 0 && NR > 100 && i % 4 == 3) v = 4 + (240 - NR) / 12 * 8 + int(i / 4)
         out = out sprintf("%-14s", " " v ",") }
       printf "%s\r\n", out }' "$ROOT/src/level/level4.txt" >mine.txt

# refused ARGS... MESSAGE: status 2 and that one line, after the program's
# name, without a display, so nothing can have got as far as a window.
refused() {
  local message=${*: -1} status=0
  env -u DISPLAY "$BUILD/upshot" "${@:1:$#-1}" >out 2>err || status=$?
  [ $status -eq 2 ] && [ "$(cat err)" = "upshot: $message" ] || fail "upshot ${*:1:$#-1}: status $status, said '$(cat err)'"
}
refused --record no/such/run.txt "no/such/run.txt: cannot be written: No such file or directory"

# replay FILE: the recording run headless with events on (after its level
# line, which must come first) and the mode dumped before its last line.
replay() { awk '!on && /^(clock|frames)/ { print "events on"; on = 1 } { print }' "$1" | sed '$i dump mode' | "$REPLAY"; }
# recorded FIELD: its value after the frames of run.txt so far.
recorded() { awk -v f="$1" '{ print } END { print "dump " f }' run.txt | "$REPLAY" | sed -E 's/.*:(-?[0-9]+)\}$/\1/'; }
# frames_in FILE [FROM]: the frames its lines after line FROM hold.
frames_in() { awk -v from="${2:-0}" 'NR > from && /^frames/ { n += $2 } END { print n + 0 }' "$1"; }
# holds FILE LINES FRAMES: FILE holds at least so many lines and frames.
holds() { [ "$(wc -l <"$1")" -ge "$2" ] && [ "$(frames_in "$1")" -ge "$3" ]; }

# until_changed PATH TEST...: runs TEST now and after every change to PATH (a
# file, or a folder for the files in it) until it passes. The watch is set up
# before the first test, so no change slips between a test and the wait; a
# minute without any change fails.
WATCHER=""
trap '[ -z "$WATCHER" ] || kill "$WATCHER" 2>/dev/null || true; cleanup' EXIT
until_changed() {
  local path=$1 line="" fd
  shift
  exec {fd}< <(exec inotifywait -m -e modify,create,close_write "$path" 2>&1)
  WATCHER=$!
  until [ "$line" = "Watches established." ]; do read -r -u $fd line || fail "cannot watch $path: $line"; done
  until "$@"; do
    read -r -t 60 -u $fd line || fail "$path unchanged for a minute, waiting for: $*"
  done
  kill $WATCHER
  WATCHER=""
  exec {fd}<&-
}

# stroke KEY WORD: holds KEY until the recording (run.txt) shows a frame
# that held it (WORD in a frames line), then lets go until it shows a later
# frame that did not. The recording ends a run of frames when the keys change
# and every second, so a stroke lasts a second or so of play however slow the
# machine, and is never lost between two polls.
stroke() {
  local from
  from=$(wc -l <run.txt)
  xdotool keydown "$1"
  until_changed run.txt seen_key "$from" "$2" held
  xdotool keyup "$1"
  until_changed run.txt seen_key "$from" "$2" released
}
# seen_key FROM WORD held|released; fails the test once 1200 frames went by unseen.
seen_key() {
  awk -v from="$1" -v key="$2" -v want="$3" 'NR > from && /^frames/ {
        on = 0; for (i = 3; i <= NF; i++) on = on || $i == key
        if (on) held = 1; else if (held) released = 1 }
      END { exit want == "held" ? !held : !released }' run.txt && return
  [ "$(frames_in run.txt "$1")" -le 1200 ] || fail "1200 frames went by and the recording shows $2 not $3"
  return 1
}
# died_or_waited FROM: the recording shows a death, or 600 frames after line
# FROM without one (then DIED is empty).
died_or_waited() {
  DIED=$(replay run.txt 2>/dev/null | grep -m1 '"event":"death"') && return
  [ "$(frames_in run.txt "$1")" -ge 600 ]
}

# watched NAME PROGRAM ARGS...: the program's window watched until it closes,
# from its first picture on.
watched() {
  local name=$1
  shift
  start_game "$@"
  "$PICTURES" capture "$WIN" "$name.seen" &
  CAPTURE=$!
  until_changed . test -s "$name.seen"
}
# shown NAME: the pictures the window showed, in order, against the replay's
# screenshots before the first frame and after every frame. The frame Escape
# ends is drawn and shown before the keys are read, so it is replayed without
# its Escape.
shown() {
  wait "$CAPTURE" || fail "$1: the X client failed"
  rm -rf shots && mkdir shots
  awk '/^frames/ { if (!k) printf "screenshot shots/%06d.bmp\n", k++; n = $2; $2 = 1; sub(/ ESC$/, "")
                   for (i = 0; i < n; i++) { print; printf "screenshot shots/%06d.bmp\n", k++ }; next } { print }' \
    run.txt | "$REPLAY" >/dev/null || fail "$1: the replay with screenshots failed"
  "$PICTURES" bmp shots/*.bmp >replayed.txt
  # Each seen picture found after the one before it.
  awk 'NR == FNR { seen[++n] = $0; next } $0 == seen[found + 1] { found++ }
       END { print found, n, FNR; exit found < n || n < 100 }' "$1.seen" replayed.txt >match.txt ||
    fail "$1: of $(cut -d' ' -f2 match.txt) pictures seen, $(cut -d' ' -f1 match.txt) found in order in the replay"
  read -r found seen replayed <match.txt
  echo "$1: all $seen pictures the window showed found in order among the replay's $replayed"
}
# escaped WHAT: Escape held until the program ends, with status 0.
escaped() {
  xdotool keydown Escape
  wait_game
  xdotool keyup Escape
  [ "$STATUS" -eq 0 ] || fail "Escape ended $1 with status $STATUS"
}

start_x
watched window upshot "$TMP" --level mine.txt --record run.txt
stroke s S
[ "$(recorded mode)" -eq 2 ] || fail "S held on the title started no game"
# A second or so of Up at a time, into the rows of walkers, each stop a chance
# for the walkers above to hit the ship; every walker still above the view
# waits, unmoved, for the next stop.
for i in $(seq 8); do
  stroke Up UP
  until_changed run.txt died_or_waited "$(wc -l <run.txt)"
  [ -n "$DIED" ] && break
done
[ -n "$DIED" ] || fail "no death in 8 climbs, up to row $(recorded top_row)"
stroke s S
[ "$(recorded mode)" -eq 2 ] || fail "S held on the title after the death started no game"
xdotool keydown space
stroke Right RIGHT
stroke Left LEFT
xdotool keyup space
escaped "the recorded game"
head -2 run.txt | grep -q "^level mine.txt [0-9a-f]\{16\}$" || fail "the recording does not name its level: $(head -2 run.txt)"
replay run.txt >events.txt
grep -q '"event":"death"' events.txt && [ "$(tail -2 events.txt)" = $'{"mode":2}\n{"exit":0}' ] ||
  fail "the replay shows no death and second game: $(cat events.txt)"
shown window

# The viewer's keys, held all the while, change nothing: the pictures are the same.
watched watch upshot "$TMP" --watch run.txt
xdotool keydown Left keydown s
shown watch
xdotool keyup Left keyup s
wait_game
[ "$STATUS" -eq 0 ] || fail "--watch ended with status $STATUS"

# Escape ends watching at once: this recording would play for 30 minutes.
printf '# recorded by hand\nclock 0\nframes 108000\n' >long.txt
start_game upshot "$TMP" --watch long.txt
escaped "--watch"

# Cut off by kill -9 once it holds a second of play: it replays.
start_game upshot "$TMP" --record cut.txt
until_changed cut.txt holds cut.txt 0 60
{ kill -9 "$GAME" && wait_game; } 2>/dev/null
status=0
"$REPLAY" cut.txt >out 2>err || status=$?
[ $status -eq 0 ] && [ ! -s out ] || fail "the cut recording replayed with status $status: $(cat out err)"

# A recording that outgrows a 120-byte file limit (the header, a clock line
# and a line or two a second) stops with one line; the game goes on, and the
# file keeps every whole line written before.
start_game /usr/bin/prlimit "$TMP" --fsize=120 "$BUILD/upshot" --record full.txt
until_changed full.txt holds full.txt 3 0
cp full.txt before.txt
until_changed "$TMP/err" grep -q . "$TMP/err"
[ "$(cat "$TMP/err")" = "upshot: full.txt: recording stopped: File too large" ] || fail "a full recording: $(cat "$TMP/err")"
escaped "the game whose recording stopped"
cmp -s -n "$(stat -c %s before.txt)" before.txt full.txt && [ "$(tail -c 1 full.txt)" = "" ] &&
  "$REPLAY" full.txt >out || fail "the full recording ($(stat -c %s full.txt) bytes) lost lines: $(od -c full.txt | tail -3)"

echo >>mine.txt
"$REPLAY" run.txt >out 2>err && fail "a changed level file was replayed"
grep -q "^upshot-replay: line 2: level: mine.txt: has changed since the recording" err || fail "changed level: $(cat err)"
refused --watch run.txt "run.txt:2: level: mine.txt: has changed since the recording$(sed -n 's/.*recording//p' err)"
echo "recorded $(frames_in run.txt) frames in $(stat -c %s run.txt) bytes"
