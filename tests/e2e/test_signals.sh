#!/usr/bin/env bash
# SIGINT, SIGTERM and SIGHUP end the game as Escape does, on the title
# screen, in play, while recording and while watching: status 128 + the
# signal (or death by it after the clean end), nothing on stderr (the
# library's own handlers would say "Shutting down Allegro"), and a recording
# that replays whole. A SIGINT ignored at start stays ignored. upshot-replay
# leaves the signals as it found them.
source "$(dirname "$0")/lib.sh"
cd "$TMP/work"
# Started as from a terminal, with the three signals at their defaults.
DEFAULT=(--default-signal=INT,TERM,HUP "$BUILD/upshot")
# A recording that takes half an hour to watch.
printf '# recorded by upshot\nclock 0\nframes 100000\n' >long.txt
start_x

# lines FILE N: waits until FILE holds at least N lines (the recording's
# first line, then a clock line a second and a frames line at every change).
lines() {
  local i
  for i in $(seq 200); do [ "$(wc -l <"$1")" -ge "$2" ] && return; sleep 0.1; done
  fail "$1 holds $(wc -l <"$1") lines, not $2"
}

# ends MODE SIGNAL: the signal ends the game with its status and says nothing.
ends() {
  kill -"$2" "$GAME"
  wait_game
  local want=$((128 + $(kill -l "$2")))
  [ "$STATUS" -eq "$want" ] || fail "$1: SIG$2 ended the game with status $STATUS, not $want"
  [ ! -s "$TMP/err" ] || fail "$1: SIG$2: the game said $(head -c 300 "$TMP/err")"
}

for sig in INT TERM HUP; do
  start_game /usr/bin/env "$TMP/work" "${DEFAULT[@]}"
  ends title $sig

  # In play: S turns the title into play, which the picture shows.
  start_game /usr/bin/env "$TMP/work" "${DEFAULT[@]}"
  shot title
  hold s
  for i in $(seq 50); do shot play; cmp -s "$TMP/title.png" "$TMP/play.png" || break; sleep 0.1; done
  cmp -s "$TMP/title.png" "$TMP/play.png" && fail "S did not start play"
  ends play $sig

  # Recording, in play: every line the game wrote is whole and replays.
  start_game /usr/bin/env "$TMP/work" "${DEFAULT[@]}" --record run.txt
  hold s
  lines run.txt 4
  ends --record $sig
  [ "$(tail -c1 run.txt | od -An -c | tr -d ' ')" = '\n' ] || fail "--record: SIG$sig left half a line"
  grep -q '^frames [0-9]* S$' run.txt || fail "--record: SIG$sig: no frame of S in $(cat run.txt)"
  "$BUILD/upshot-replay" run.txt >/dev/null 2>"$TMP/err" || fail "--record: SIG$sig: the recording does not replay"

  start_game /usr/bin/env "$TMP/work" "${DEFAULT[@]}" --watch long.txt
  ends --watch $sig
done

# Started with SIGINT and SIGHUP ignored (a background job of a script,
# nohup), the game keeps them so: two seconds after them it is still
# recording; Escape ends it.
start_game /usr/bin/env "$TMP/work" --ignore-signal=INT,HUP "$BUILD/upshot" --record run.txt
lines run.txt 2
kill -INT "$GAME"
kill -HUP "$GAME"
lines run.txt $(($(wc -l <run.txt) + 4))
quits "the game with SIGINT and SIGHUP ignored"

# upshot-replay takes no signal: ignored stays ignored, and SIGTERM ends it at once.
mkfifo script
env --ignore-signal=INT "$BUILD/upshot-replay" script 2>"$TMP/err" &
REPLAY=$!
exec 3>script
kill -INT $REPLAY
kill -TERM $REPLAY
STATUS=0
wait $REPLAY || STATUS=$?
exec 3>&-
[ "$STATUS" -eq 143 ] && [ ! -s "$TMP/err" ] || fail "upshot-replay: SIGTERM gave status $STATUS"

echo "signals end the game as Escape does: ok"
