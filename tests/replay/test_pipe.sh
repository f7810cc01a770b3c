#!/usr/bin/env bash
# Driven line by line through a pipe, the replay answers each line before it
# reads the next: a program searching with it waits for every answer.
source "$(dirname "$0")/common.sh"

coproc REPLAY { "$replay"; }
pid=$REPLAY_PID
ask() {
  local line
  printf '%s\n' "$1" >&"${REPLAY[1]}"
  read -r -t 20 line <&"${REPLAY[0]}" || fail "no answer to '$1'"
  [ "$line" = "$2" ] || fail "'$1' answered '$line', not '$2'"
}
printf 'frames 2\n' >&"${REPLAY[1]}"
ask 'dump frame' '{"frame":2}'
printf 'frames 1 S\nevents on\nset scroll_y 110\nset top_row 11\n' >&"${REPLAY[1]}"
ask 'frames 2 UP' '{"event":"level_end","frame":5,"level":2,"next":3}'
ask 'dump level_number' '{"level_number":3}'
ask 'frames 1 ESC' '{"exit":0}'
wait "$pid" || fail "exit status $?"
