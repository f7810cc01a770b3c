#!/usr/bin/env bash
# scripts/add-level refuses a level that cannot be cleared, saying how high the
# ship got and what stopped it, and installs one that can. Run from the
# repository root: test_add_level.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/common.sh"
lv=$work/lv && mkdir "$lv" && cp src/level/level[1-5].txt "$lv/"
export BUILD_DIR=$build LEVEL_DIR=$lv

# A wall of blocks across row 200 (line 200 holds its columns 0..31, each a
# 14-character field): blocks 40 pixels wide at columns 1, 5, ..., 29 leave
# the ship no gap. The ship's top edge stops 41 pixels below the wall's top.
awk 'NR == 200 { for (c = 1; c <= 29; c += 4) $0 = substr($0, 1, 14 * c) sprintf("%-14s", " 2,") substr($0, 14 * c + 15) } { print }' \
  src/level/level2.txt >"$work/walled.txt"
cp "$lv/level3.txt" "$work/old3.txt"
scripts/add-level "$work/walled.txt" 3 >/dev/null 2>"$work/err" && fail "add-level installed a level with a wall across"
grep -q "no higher than row 204; above it: .*block at (200, " "$work/err" || fail "add-level did not say what stopped the ship: $(cat "$work/err")"
grep -q "no clock seed clears it" "$work/err" || fail "add-level: $(cat "$work/err")"
cmp -s "$lv/level3.txt" "$work/old3.txt" || fail "a refused level changed level 3"

# The shipped level 2 can be cleared, as level 3 too.
scripts/add-level src/level/level2.txt 3 >/dev/null 2>"$work/err" || fail "add-level refused level 2: $(cat "$work/err")"
cmp -s "$lv/level3.txt" src/level/level2.txt || fail "add-level did not install the clearable level"
echo "add-level proofs passed"
