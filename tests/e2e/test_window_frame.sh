# The window's frame hooks in a real X server: every present reaches the server
# at once, and keys waiting at the display reach key[] when the game asks.
source "$(dirname "$0")/lib.sh"
start_x
"$BUILD/tests/window_frame" >"$TMP/out" 2>"$TMP/err" || fail "$(cat "$TMP/out")"
[ ! -s "$TMP/err" ] || fail "the window test wrote on stderr"
echo "frames delivered at once, keys taken at once: ok"
