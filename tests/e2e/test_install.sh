# An installation, moved after installing, played from a folder without data/:
# the game shows its title and ends with Escape, the editor saves level.txt in
# the folder it was started from, every program answers --version, and with
# the pictures and sounds nowhere the game names every place it looked. The
# version is the changelog's.
# The source tree's data/ is hidden (a private mount) so that only the
# installed data folder can serve.
if grep -q '^UPSHOT_SANITIZE:BOOL=ON' "$1/CMakeCache.txt"; then
  echo "skipped: an installation is built without the sanitizers"
  exit 77
fi
if [ -z "${UPSHOT_SOURCE_DATA_HIDDEN:-}" ]; then
  unshare -m true 2>/dev/null || { echo "skipped: no private mounts here to hide the source tree's data/"; exit 77; }
  UPSHOT_SOURCE_DATA_HIDDEN=1 exec unshare -m --propagation private bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
cmake --install "$BUILD" --prefix "$TMP/first" >/dev/null || fail "cmake --install failed"
mkdir "$TMP/nothing" "$TMP/elsewhere"
mount --bind "$TMP/nothing" "$ROOT/data"
mv "$TMP/first" "$TMP/moved"
games=$TMP/moved/games
for program in upshot upshot-editor upshot-replay upshot-prove; do
  [ "$("$games/$program" --version)" = "$program $(dpkg-parsechangelog -l "$ROOT/debian/changelog" -S Version)" ] ||
    fail "$program --version: $("$games/$program" --version 2>&1)"
done

start_x
start_game "$games/upshot" "$TMP/elsewhere"
sleep 0.5
shot title
awk -v m="$(mean title)" 'BEGIN {exit !(m > 0.02)}' || fail "the installed game's title is black"
hold Escape
wait_game
[ "$STATUS" -eq 0 ] && [ ! -s "$TMP/err" ] || fail "the installed game ended with status $STATUS"

start_game "$games/upshot-editor" "$TMP/elsewhere"
hold Shift_R
hold Escape
wait_game
[ "$STATUS" -eq 0 ] || fail "the installed editor ended with status $STATUS"
[ "$(stat -c %s "$TMP/elsewhere/level.txt" 2>/dev/null)" = 129136 ] || fail "the editor saved no whole level.txt where it started"

mv "$TMP/moved/share/games/upshot" "$TMP/away"
for program in upshot upshot-replay; do
  STATUS=0
  (cd "$TMP/elsewhere" && timeout 20 "$games/$program" </dev/null) 2>"$TMP/err" || STATUS=$?
  [ "$STATUS" -eq 2 ] && [ "$(wc -l <"$TMP/err")" -eq 1 ] || fail "$program without data: status $STATUS"
  for place in data "$TMP/moved/share/games/upshot" "$ROOT/data"; do
    grep -qF "$place/main.bmp" "$TMP/err" || fail "$program without data did not name $place/main.bmp"
  done
done
echo "installed, moved and played from elsewhere; the editor saved there; no data: every place named"
