# How the game ends other than by Escape: the window's close button and no
# display to open a window on (missing pictures and sounds: test_install.sh).
# Also the play script's check for a display, which must stop before the game
# starts.
source "$(dirname "$0")/lib.sh"
# A stand-in game shows whether scripts/run would have started it.
mkdir "$TMP/bin" && printf '#!/bin/sh\ntouch "%s/started"\n' "$TMP" >"$TMP/bin/upshot" && chmod +x "$TMP/bin/upshot"

# Without a display: status 1, one line that says why, and no crash (a
# signal gives 128 + n).
for display in "" ":$((RANDOM % 1000 + 3000))"; do
  if [ -n "$display" ]; then export DISPLAY=$display; else unset DISPLAY; fi
  why="cannot open display '$display'"
  [ -n "$display" ] || why="cannot open a window: DISPLAY is not set"
  for program in upshot upshot-editor; do
    STATUS=0
    timeout 20 "$BUILD/$program" 2>"$TMP/err" || STATUS=$?
    [ "$STATUS" -eq 1 ] || fail "$program with DISPLAY='$display': the status is $STATUS, not 1"
    [ "$(cat "$TMP/err")" = "$program: $why" ] || fail "$program with DISPLAY='$display' said other than '$why'"
  done
  out=$(BUILD_DIR=$TMP/bin scripts/run upshot 2>&1) && fail "scripts/run succeeded without a display"
  [ "$(wc -l <<<"$out")" -eq 1 ] && grep -q "xvfb-run scripts/play" <<<"$out" || fail "scripts/run said: $out"
  [ ! -e "$TMP/started" ] || fail "scripts/run started the game without a display"
done

start_x
BUILD_DIR=$TMP/bin scripts/run upshot && [ -e "$TMP/started" ] || fail "scripts/run did not start the game on a display"

# The close button ends the game as Escape does.
g++ -o "$TMP/close_window" "$ROOT/tests/e2e/close_window.cpp" -lX11
start_game upshot
sleep 0.3
"$TMP/close_window" "$WIN" || fail "could not send the close request"
wait_game
[ "$STATUS" -eq 0 ] || fail "the close button ended the game with status $STATUS"

echo "close button, no display and the play script's check: ok"
