#!/usr/bin/env bash
# The build's level checker refuses each kind of malformed text with a message
# naming the file and the line, and then writes no table; scripts/add-level
# installs only texts that pass. Run from the repository root: test_level_pack.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:?usage: test_level_pack.sh BUILD_DIR}" && pwd)
pack=$build/level_pack
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/lv"
cp src/level/level[1-5].txt "$work/lv/"
lv=$work/lv
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# refused N LINE WHAT: packing the levels with $work/bad.txt as level N fails,
# names bad.txt, the line and WHAT, and leaves no table behind.
refused() {
  local n=$1 line=$2 what=$3 args=() k
  for k in 1 2 3 4 5; do
    if [ "$k" = "$n" ]; then args+=("$work/bad.txt"); else args+=("$lv/level$k.txt"); fi
  done
  if "$pack" "$work/out.cpp" "${args[@]}" 2>"$work/err"; then fail "accepted: $what"; return; fi
  grep -q "^$work/bad.txt:$line: .*$what" "$work/err" || fail "want '$work/bad.txt:$line: ...$what', got: $(cat "$work/err")"
  ! ls "$work"/out.cpp* >/dev/null 2>&1 || fail "a table was written although $what"
}

sed '40s/^ 0,/x7,/' "$lv/level2.txt" >"$work/bad.txt" && refused 2 40 "'x7' is not a decimal integer"
sed '287s/, *\r$/\r/' "$lv/level2.txt" >"$work/bad.txt" && refused 2 287 "not followed by a comma"
sed '$d' "$lv/level2.txt" >"$work/bad.txt" && refused 2 286 "holds 9151 values, level 2 needs 9183"
(cat "$lv/level1.txt" && sed -n 5,6p "$lv/level1.txt") >"$work/bad.txt" && refused 1 289 "level 1 needs 9216"
sed '287s/^ 0,/ 6,/' "$lv/level2.txt" >"$work/bad.txt" && refused 2 287 "code 6 is used twice"
for code in 3 104 154 204; do
  sed "200s/^ 0,/ $code,/" "$lv/level2.txt" >"$work/bad.txt" && refused 2 200 "code $code is never used"
done
sed '1s/^ 1014,/ 0,   /' "$lv/level4.txt" >"$work/bad.txt" && refused 4 1 "not the editor cursor"
sed -E '25s/^(.{210}) 1,/\1 0,/' "$lv/level5.txt" >"$work/bad.txt" && refused 5 25 "not the player anchor"

# Every shipped text is an export of the editor and packs; "% d" also writes
# negative values, which a level may hold.
sed '2s/^ 0,/-5,/' "$lv/level2.txt" >"$work/negative.txt"
"$pack" --check 2 "$work/negative.txt" || fail "an export holding -5 was refused"
"$pack" "$work/out.cpp" "$lv/level1.txt" "$work/negative.txt" "$lv"/level[345].txt || fail "the levels were refused"
grep -q 'LEVEL_START' "$work/out.cpp" || fail "no table was written"
grep -q ',-5,' "$work/out.cpp" || fail "the table lost the value -5"

# add-level: a refused text changes nothing; a good one is installed.
export BUILD_DIR=$build LEVEL_DIR=$lv
cp "$lv/level3.txt" "$work/old3.txt"
sed '40s/^ 0,/x7,/' "$lv/level2.txt" >"$work/bad.txt"
if scripts/add-level "$work/bad.txt" 3 2>"$work/err"; then fail "add-level installed a bad text"; fi
grep -q "bad.txt:40: 'x7'" "$work/err" || fail "add-level did not pass on the checker's message: $(cat "$work/err")"
cmp -s "$lv/level3.txt" "$work/old3.txt" || fail "a refused text changed level 3"
scripts/add-level "$work/negative.txt" 1 2>/dev/null && fail "add-level replaced the editor template"
scripts/add-level "$work/negative.txt" 3 >/dev/null || fail "add-level refused a good text"
cmp -s "$lv/level3.txt" "$work/negative.txt" || fail "add-level did not install the good text"

[ "$failures" -eq 0 ] && echo "level checks passed"
exit $((failures > 0))
