#!/usr/bin/env bash
# Files that are not regular files (a FIFO with no writer, an endless device,
# a directory) named where a level or a recording is read: --level,
# the editor's FILE, --watch and a recording's level line, as upshot --watch
# and upshot-replay read it. Each is refused at once in one line, status 2,
# without a window (there is no display) and without blocking or spinning.
source "$(dirname "$0")/lib.sh"
cd "$TMP/work"
unset DISPLAY
mkfifo fifo
mkdir folder

# refused WHAT LINE PROGRAM ARG...: status 2 and exactly "PROGRAM: LINE",
# within 10 s where a blocking open or an endless read would hang.
refused() {
  local what=$1 line=$2 status=0
  shift 2
  timeout 10 "$BUILD/$1" "${@:2}" >/dev/null 2>"$TMP/err" || status=$?
  [ $status -eq 2 ] && [ "$(cat "$TMP/err")" = "$1: $line" ] || fail "$1 ${*:2} ($what): status $status, said $(head -c 300 "$TMP/err")"
}

for odd in fifo /dev/zero folder; do
  case $odd in
    fifo) kind="is a FIFO" ;;
    /dev/zero) kind="is a character device" ;;
    folder) kind="is a directory" ;;
  esac
  refused --level "$odd: $kind, not a level text" upshot --level "$odd"
  refused FILE "$odd: $kind, not a level text" upshot-editor "$odd"
  refused --watch "$odd: $kind, not a recording" upshot --watch "$odd"
  printf 'level %s 0123456789abcdef\nframes 1\n' "$odd" >run.txt
  refused "a level line" "run.txt:1: level: $odd: $kind, not a level text" upshot --watch run.txt
  refused "a level line" "line 1: level: $odd: $kind, not a level text" upshot-replay run.txt
done
echo "odd files refused at once: ok"
