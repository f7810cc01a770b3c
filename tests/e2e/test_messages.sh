#!/usr/bin/env bash
# Every program names what is wrong with its command line, in a line that
# starts with its own name, and takes --opt=value and -- as everywhere
# (the game's and the editor's every case: tests/unit/host/test_arguments.cpp).
# upshot-replay fails, in one line, when its output cannot be written.
source "$(dirname "$0")/lib.sh"
cd "$TMP/work"
unset DISPLAY
PROVE=$BUILD/tools/prove_levels

# says STATUS LINE PROGRAM ARG...: the program ends with STATUS, and its first
# line on stderr starts with LINE.
says() {
  local want=$1 line=$2 status=0
  shift 2
  timeout 20 "$@" >/dev/null 2>"$TMP/err" </dev/null || status=$?
  [ $status -eq "$want" ] && [[ "$(head -1 "$TMP/err")" == "$line"* ]] || fail "$*: status $status"
}
for program in upshot upshot-editor upshot-replay; do
  says 2 "$program: unknown option '--bogus'" "$BUILD/$program" --bogus
done
says 2 "prove_levels: unknown option '--bogus'" "$PROVE" --bogus
says 2 "upshot: unknown option '--bogus'" "$BUILD/upshot" --bogus=3
says 2 "upshot: --scale is given twice" "$BUILD/upshot" --scale=2 --scale 3
says 2 "upshot: --watch cannot go with --record" "$BUILD/upshot" --record a --watch b
says 2 "upshot-editor: --scale: '0' is not a whole number from 1 to 8, nor auto" "$BUILD/upshot-editor" --scale=0
says 2 "prove_levels: --seeds wants a number in 1..1000" "$PROVE" --seeds=0
says 2 "prove_levels: unexpected argument 'x'" "$PROVE" -- x
# After --, a FILE may start with '-': the editor takes it and goes on to its window.
says 1 "upshot-editor: cannot open a window: DISPLAY is not set" "$BUILD/upshot-editor" -- -new.txt
printf 'frames 1\ndump mode\n' >-script
says 0 "" "$BUILD/upshot-replay" --start-mode=play -- -script
[ ! -s "$TMP/err" ] || fail "upshot-replay -- -script"

# Output to a full disk: status 1 and one line, however the output ends.
for args in "-- -script" --help --version; do
  status=0
  "$BUILD/upshot-replay" $args >/dev/full 2>"$TMP/err" || status=$?
  [ $status -eq 1 ] && [ "$(cat "$TMP/err")" = "upshot-replay: cannot write the output: No space left on device" ] ||
    fail "upshot-replay $args >/dev/full: status $status"
done
echo "messages name the problem: ok"
