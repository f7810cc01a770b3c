#!/usr/bin/env bash
# The shipped levels are proven by playing them: the search clears every level
# for every clock seed, and the reference player finds them fair. The full
# proof is 20 seeds a level; the sanitizer build, ten times slower, plays 5.
# Run from the repository root: test_prove_levels.sh BUILD_DIR
source "$(dirname "$0")/common.sh"
prover=$build/tools/prove_levels
seeds=20
grep -q '^UPSHOT_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" && seeds=5

"$prover" --seeds $seeds --targets --quiet --picture "$work/route.png" >"$work/table.txt" ||
  fail "the shipped levels miss their targets: $(cat "$work/table.txt")"
for n in 2 3 4 5; do
  grep -q "^$n  *| $seeds/$seeds " "$work/table.txt" || fail "level $n: $(cat "$work/table.txt")"
  [ "$(identify -format '%m %w x %h' "$work/route$n.png")" = "PNG 360 x 2930" ] || fail "route$n.png: $(identify "$work/route$n.png")"
done

# A text that is not a level is refused before anything is played.
printf ' 1,\n' >"$work/short.txt"
status=0
"$prover" --level 3 --text "$work/short.txt" 2>"$work/err" || status=$?
[ $status -eq 2 ] && grep -q "short.txt:1: .*9183" "$work/err" || fail "a short text: status $status, $(cat "$work/err")"
echo "the shipped levels are proven"
