#!/usr/bin/env bash
# Scripts the replay must refuse: one line on standard error naming the script
# line and the fault, exit status 2 (3 for a failed check), never a crash.
source "$(dirname "$0")/common.sh"

# Runs the replay; a signal, a sanitizer report, or a failure that says other
# than one line fails the test. Returns the replay's exit status.
run() {
  local status=0
  "$replay" "$@" >out.txt 2>err.txt || status=$?
  [ $status -lt 128 ] && ! grep -q -e Sanitizer -e 'runtime error' err.txt || fail "crash ($status): $(cat err.txt)"
  [ $status -eq 0 ] || [ "$(wc -l <err.txt)" -eq 1 ] || fail "status $status with: $(cat err.txt)"
  return $status
}

while IFS=$'\t' read -r mode script message; do
  [[ $mode == \#* ]] && continue
  printf "$script" >bad.txt
  status=0 expected=2
  run --start-mode "$mode" bad.txt || status=$?
  [[ $message == *"check failed"* ]] && expected=3
  [ $status -eq $expected ] || fail "'$script': exit status $status, not $expected"
  [ "$(cat err.txt)" = "upshot-replay: $message" ] || fail "'$script': said '$(cat err.txt)', not '$message'"
done <"$here/bad_scripts.txt"

# A refused line changes nothing: no half-printed dump.
echo 'dump frame mode bogus' | run && fail "a bad path was accepted"
[ ! -s out.txt ] || fail "a refused dump printed $(cat out.txt)"

# Over-long lines; a missing script or start mode.
head -c 100000 /dev/zero | tr '\0' x | run && fail "an over-long line was accepted"
grep -q 'line 1: line is longer than' err.txt || fail "over-long line: $(cat err.txt)"
run no-such-script.txt && fail "a missing script was accepted"
run --start-mode nowhere </dev/null && fail "an unknown start mode was accepted"
# Without data/ here, the data/ of the source tree it was built from serves.
(mkdir empty && cd empty && echo 'frames 1' | run) || fail "without data/ here: $(cat empty/err.txt)"

# Seeded garbage: whatever it reads, the replay ends cleanly.
LC_ALL=C awk -v count=40 -f "$here/garbage.awk"
for f in garbage*.txt; do
  for mode in title editor; do
    run --start-mode $mode "$f" || [ $? -ne 1 ] || fail "$f: status 1"
    [ ! -s err.txt ] || grep -q '^upshot-replay: line [0-9]\+: ' err.txt || fail "$f: $(cat err.txt)"
  done
done
