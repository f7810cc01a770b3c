# The window at a whole-number scale: --scale 3 shows the scale-1 picture with
# each pixel a 3 x 3 square, --scale auto fits the desktop, and a bad scale is
# refused before any window opens.
source "$(dirname "$0")/lib.sh"

# Without a display a window would fail with status 1: status 2 and one line
# show the refusal came first.
for bad in 0 9 x; do
  for program in upshot upshot-editor; do
    STATUS=0
    env -u DISPLAY "$BUILD/$program" --scale $bad 2>"$TMP/err" || STATUS=$?
    [ "$STATUS" -eq 2 ] && [ "$(wc -l <"$TMP/err")" -eq 1 ] || fail "$program --scale $bad: status $STATUS"
  done
done

X_SCREEN=1280x1024x24 start_x
declare -A SIZE
size() { xwininfo -id "$WIN" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
# Each run shows the title for half a second (the first title picture lasts
# five), is photographed, and leaves with Escape.
for scale in 1 3 auto; do
  start_game upshot "$ROOT" --scale $scale
  sleep 0.5
  shot $scale
  SIZE[$scale]=$(size)
  hold Escape
  wait_game
  [ "$STATUS" -eq 0 ] || fail "--scale $scale: Escape ended the game with status $STATUS"
done
[ "${SIZE[1]} ${SIZE[3]}" = "320x320 960x960" ] || fail "windows of ${SIZE[1]} and ${SIZE[3]}"
# 1280 x 1024 less room for panels and a title bar: 2 fits, 3 does not.
[ "${SIZE[auto]}" = 640x640 ] || fail "--scale auto on 1280 x 1024 opened ${SIZE[auto]}"
convert "$TMP/1.png" -sample 300% "$TMP/1x3.png"
differ=$(compare -metric AE "$TMP/1x3.png" "$TMP/3.png" null: 2>&1 || true)
[ "$differ" = 0 ] || fail "scale 3 is not scale 1 with 3 x 3 pixels ($differ pixels differ)"
echo "scale 3 is scale 1 by 3 x 3 pixels, auto fits 1280 x 1024, bad scales refused"
