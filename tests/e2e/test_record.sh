#!/usr/bin/env bash
# A run played in the window (steering, firing, climbing to a death, a second
# game, Escape) and recorded with a level file; replayed headless, every
# picture a second X client saw in the window is among the replay's
# screenshots, frame by frame and in order, and so is every picture --watch
# shows, whatever keys are pressed meanwhile. A recording cut by kill -9 replays; a changed level file and an
# unwritable recording are refused before any window opens.
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

# refused ARGS... MESSAGE: status 2 and that one line, without a display, so
# nothing can have got as far as a window.
refused() {
  local message=${*: -1} status=0
  env -u DISPLAY "$BUILD/upshot" "${@:1:$#-1}" >out 2>err || status=$?
  [ $status -eq 2 ] && [ "$(cat err)" = "$message" ] || fail "upshot ${*:1:$#-1}: status $status, said '$(cat err)'"
}
refused --record no/such/run.txt "no/such/run.txt: cannot be written: No such file or directory"

# replay FILE: the recording run headless with events on (after its level
# line, which must come first) and the mode dumped before its last line.
replay() { awk '!on && /^(clock|frames)/ { print "events on"; on = 1 } { print }' "$1" | sed '$i dump mode' | "$REPLAY"; }

# watched NAME PROGRAM ARGS...: the program's window watched until it closes.
watched() {
  local name=$1
  shift
  start_game "$@"
  "$PICTURES" capture "$WIN" "$name.seen" &
  CAPTURE=$!
  sleep 0.3
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

start_x
# until_recorded KEY FIELD TEST VALUE: presses KEY in short strokes until the
# recording shows FIELD passing [ FIELD TEST VALUE ]. The recording is flushed
# once a second, so each stroke is let go and a flush awaited before the check:
# a key held while the file lags would carry the run on for as long as it lags.
until_recorded() {
  local i got
  for i in $(seq 30); do
    hold "$1" 0.3
    sleep 1.2
    got=$(awk -v f="$2" '{ print } END { print "dump " f }' run.txt | "$REPLAY" | sed -E 's/.*:(-?[0-9]+)\}$/\1/')
    [ "$got" "$3" "$4" ] && return
  done
  fail "$2 is $got after 30 strokes of $1"
}

watched window upshot "$TMP" --level mine.txt --record run.txt
until_recorded s mode -eq 2
# Up to below the walkers, then wait until the recording so far shows a death.
until_recorded Up top_row -le 236
for i in $(seq 60); do
  sleep 0.5
  replay run.txt >events.txt
  grep -q '"event":"death"' events.txt && break
done
grep -q '"event":"death"' events.txt || fail "no death 30 s after the climb to row $(awk '{ print } END { print "dump top_row" }' run.txt | "$REPLAY")"
until_recorded s mode -eq 2
xdotool keydown space
hold Right 0.3
hold Left 0.2
hold Up 0.5
xdotool keyup space
hold Escape
wait_game
[ "$STATUS" -eq 0 ] || fail "the recorded game ended with status $STATUS"
head -2 run.txt | grep -q "^level mine.txt [0-9a-f]\{16\}$" || fail "the recording does not name its level: $(head -2 run.txt)"
replay run.txt >events.txt
grep -q '"event":"death"' events.txt && [ "$(tail -2 events.txt)" = $'{"mode":2}\n{"exit":0}' ] ||
  fail "the replay shows no death and second game: $(cat events.txt)"
shown window

# The viewer's keys change nothing: the pictures are the same.
watched watch upshot "$TMP" --watch run.txt
hold Left 0.3
hold s
wait_game
[ "$STATUS" -eq 0 ] || fail "--watch ended with status $STATUS"
shown watch

# Escape ends watching at once, seconds before the recording ends.
start_game upshot "$TMP" --watch run.txt
hold Escape
sleep 0.5
kill -0 "$GAME" 2>/dev/null && fail "Escape did not end --watch"
wait_game
[ "$STATUS" -eq 0 ] || fail "Escape ended --watch with status $STATUS"

# Cut off by kill -9: all but the last second is there, and replays.
start_game upshot "$TMP" --record cut.txt
hold s
hold Up 2
{
  kill -9 "$GAME"
  wait_game
} 2>/dev/null
frames=$(awk '/^frames/ { n += $2 } END { print n + 0 }' cut.txt)
[ "$frames" -ge 60 ] || fail "the cut recording holds $frames frames"
status=0
"$REPLAY" cut.txt >out 2>err || status=$?
[ $status -eq 0 ] && [ ! -s out ] || fail "the cut recording replayed with status $status: $(cat out err)"

echo >>mine.txt
"$REPLAY" run.txt >out 2>err && fail "a changed level file was replayed"
grep -q "^upshot-replay: line 2: level: 'mine.txt' has changed since the recording" err || fail "changed level: $(cat err)"
refused --watch run.txt "run.txt:2: level: 'mine.txt' has changed since the recording$(sed -n 's/.*recording//p' err)"
echo "recorded $(awk '/^frames/ { n += $2 } END { print n }' run.txt) frames in $(stat -c %s run.txt) bytes"
