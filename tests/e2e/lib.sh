# Shared by the end-to-end tests, which run the real programs in a private X
# server. Sourced with the build directory as $1, from the repository root.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
ROOT=$PWD
TMP=$(mktemp -d)
GAME="" XPID="" WATCHER=""
cleanup() {
  # The library's own SIGTERM handler can hang with the display still open.
  [ -n "$GAME" ] && kill -KILL "$GAME" 2>/dev/null
  [ -n "$WATCHER" ] && kill "$WATCHER" 2>/dev/null
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  rm -rf "$TMP"
}
trap cleanup EXIT
# A folder to run a program in, with the repository's data/, so that its files land there.
mkdir "$TMP/work" && ln -s "$ROOT/data" "$TMP/work/data"
# The editor keeps its locks (and a recovery that has no place beside its level) here.
export XDG_STATE_HOME=$TMP/state
fail() { echo "FAIL: $*"; [ -s "$TMP/err" ] && sed 's/^/  stderr: /' "$TMP/err"; exit 1; }

# Starts Xvfb on the first free display from :90 up, its screen X_SCREEN
# (640x480x24 unless set). Two tests may race for one number; the lock file
# names the server that won it.
start_x() {
  local n i
  for n in $(seq 90 150); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb :$n -screen 0 "${X_SCREEN:-640x480x24}" -nolisten tcp >/dev/null 2>&1 &
    XPID=$!
    for i in $(seq 50); do
      [ -e /tmp/.X11-unix/X$n ] || ! kill -0 $XPID 2>/dev/null && break
      sleep 0.1
    done
    if [ "$(tr -d ' \n' </tmp/.X$n-lock 2>/dev/null)" = "$XPID" ] && xdpyinfo -display :$n >/dev/null 2>&1; then
      export DISPLAY=:$n
      return
    fi
    kill $XPID 2>/dev/null || true
    XPID=""
  done
  fail "no free X display"
}

# start_game PROGRAM [DIR [ARG ...]]: runs the program (of the build, unless
# given by its full path) from DIR (the repository root by default) with the
# ARGs and waits for its window, then gives it the keyboard focus.
# Xvfb now and then hangs up on a client that connects at the same moment as
# another (here the program and xdotool); the one it hung up on says it cannot
# open the display, and the program is started afresh, twice at most.
start_game() {
  local program=$1 dir=${2:-$ROOT} try
  [[ $program == /* ]] || program=$BUILD/$program
  shift $(($# < 2 ? $# : 2))
  for try in 1 2 3; do
    (cd "$dir" && exec "$program" "$@") 2>"$TMP/err" &
    GAME=$!
    WIN=$(timeout 30 xdotool search --sync --onlyvisible --class Allegro 2>"$TMP/xdotool" | head -1) || true
    [ -n "$WIN" ] && break
    grep -qi "open display" "$TMP/err" "$TMP/xdotool" || break
    kill -KILL "$GAME" 2>/dev/null; wait "$GAME" 2>/dev/null || true
    GAME=""
  done
  [ -n "$WIN" ] || fail "$program opened no window"
  timeout 10 xdotool windowfocus --sync "$WIN" || fail "could not focus the window"
}

# hold KEY [SECONDS]: a tap shorter than a frame can fall between two polls.
hold() { xdotool keydown "$1" sleep "${2:-0.2}" keyup "$1"; }

# Waits up to 20 s for the game to end and sets STATUS to its exit status.
wait_game() {
  local i
  for i in $(seq 200); do kill -0 "$GAME" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$GAME" 2>/dev/null && fail "the program did not end"
  STATUS=0
  wait "$GAME" || STATUS=$?
  GAME=""
}

# quits WHAT: Escape ends the program with status 0 and nothing on stderr but
# the editor's proof lines.
quits() {
  hold Escape
  wait_game
  [ "$STATUS" -eq 0 ] && ! grep -qv " be cleared: " "$TMP/err" || fail "$1: Escape ended it with status $STATUS"
}

shot() { import -display "$DISPLAY" -window "$WIN" "$TMP/$1.png"; }
mean() { convert "$TMP/$1.png" -format '%[fx:mean]' info:; }

# In the editor: steps the brush with short presses of Space (the held-frame
# counter carries over between presses, so no brush is skipped), placing with
# Enter and saving with right Shift after each, until FILE holds FIELD under
# the cursor's start, row 257 (the view's top row 256, plus one), column 1:
# field 2 of line 257. Then quits with Escape. TRIES counts the presses.
editor_cell() { sed -n 257p "$1" 2>/dev/null | cut -c15-28; }
place_at_cursor() {
  for TRIES in $(seq 15); do
    hold space 0.1
    hold Return
    hold Shift_R
    sleep 0.1
    [ "$(editor_cell "$1")" = "$2" ] && break
  done
  quits "the editor"
  [ "$(editor_cell "$1")" = "$2" ] || fail "row 257, column 1 holds '$(editor_cell "$1")', not '$2', after $TRIES tries"
}

# fresh_folder DIR: an empty folder to run a program in, with data/.
fresh_folder() { rm -rf "$1" && mkdir -p "$1" && ln -s "$ROOT/data" "$1/data"; }

# make_level FILE [ROW COL CODE ...]: the editor's empty level with these
# cells set, saved as right Shift saves it (by the replay tool).
make_level() {
  local file=$1
  shift
  fresh_folder "$TMP/make_level"
  { while [ $# -gt 0 ]; do echo "set grid[$1][$2] $3"; shift 3; done; echo "frames 1 RSHIFT"; } |
    (cd "$TMP/make_level" && "$BUILD/upshot-replay" --start-mode editor >/dev/null) || fail "could not make $file"
  mv "$TMP/make_level/level.txt" "$file"
}

# watch DIR: from now on, each name created in, renamed into or removed from
# DIR comes as a line "CREATE NAME", "MOVED_TO NAME" or "DELETE NAME" on fd 3.
watch() {
  [ -n "$WATCHER" ] && kill "$WATCHER" 2>/dev/null
  exec 3< <(exec inotifywait -m -e create,moved_to,delete --format '%e %f' "$1" 2>&1)
  WATCHER=$!
  local line
  while read -r -t 30 -u 3 line; do [ "$line" = "Watches established." ] && return; done
  fail "cannot watch $1"
}
# seen EVENT NAME [SECONDS]: waits up to 30 s for that line from the watch;
# given SECONDS, fails only by its status after that long without a line.
seen() {
  local line
  while read -r -t "${3:-30}" -u 3 line; do [ "$line" = "$1 $2" ] && return; done
  [ -z "${3:-}" ] || return 1
  fail "no $1 $2 within 30 s"
}
