#!/usr/bin/env bash
# The build's level checker refuses each kind of malformed text with a message
# naming the file and the line, and then writes no table; scripts/add-level
# installs only texts that pass. Run from the repository root: test_level_pack.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:?usage: test_level_pack.sh BUILD_DIR}" && pwd)
pack=$build/level_pack
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
lv=$work/lv bad=$work/bad.txt && mkdir "$lv" && cp src/level/level[1-5].txt "$lv/"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# refused N LINE WHAT: packing the levels with bad.txt as level N fails,
# names bad.txt, the line and WHAT, and leaves no table behind.
refused() {
  local line=$2 what=$3 args=("$lv"/level[1-5].txt)
  args[$1 - 1]=$bad
  if "$pack" "$work/out.cpp" "${args[@]}" 2>"$work/err"; then fail "accepted: $what"; return; fi
  grep -q "^$bad:$line: .*$what" "$work/err" || fail "want '$bad:$line: ...$what', got: $(cat "$work/err")"
  ! ls "$work"/out.cpp* >/dev/null 2>&1 || fail "a table was written although $what"
}

sed '40s/^ 0,/x7,/' "$lv/level2.txt" >"$bad" && refused 2 40 "'x7' is not a decimal integer"
sed '287s/, *\r$/\r/' "$lv/level2.txt" >"$bad" && refused 2 287 "not followed by a comma"
sed '$d' "$lv/level2.txt" >"$bad" && refused 2 286 "holds 9151 values, level 2 needs 9183"
(cat "$lv/level1.txt" && sed -n 5,6p "$lv/level1.txt") >"$bad" && refused 1 289 "level 1 needs 9216"
sed '287s/^ 0,/ 6,/' "$lv/level2.txt" >"$bad" && refused 2 287 "code 6 is used twice"
for c in 3 104 154 204; do sed "200s/^ 0,/ $c,/" "$lv/level2.txt" >"$bad" && refused 2 200 "code $c is never used"; done
sed '1s/^ 1014,/ 0,   /' "$lv/level4.txt" >"$bad" && refused 4 1 "not the editor cursor"
sed -E '25s/^(.{210}) 1,/\1 0,/' "$lv/level5.txt" >"$bad" && refused 5 25 "not the player anchor"

# Every shipped text is an export of the editor and packs; "% d" also writes
# negative values, which a level may hold.
sed '2s/^ 0,/-5,/' "$lv/level2.txt" >"$work/negative.txt"
"$pack" --check 2 "$work/negative.txt" || fail "an export holding -5 was refused"
"$pack" "$work/out.cpp" "$lv/level1.txt" "$work/negative.txt" "$lv"/level[345].txt || fail "the levels were refused"
grep -q ',-5,' "$work/out.cpp" || fail "no table was written, or it lost the value -5"

# add-level: a refused text (the last bad.txt) changes nothing; a good one is installed.
export BUILD_DIR=$build LEVEL_DIR=$lv
cp "$lv/level3.txt" "$work/old3.txt"
scripts/add-level "$bad" 3 2>"$work/err" && fail "add-level installed a bad text"
grep -q "bad.txt:25: .*not the player anchor" "$work/err" || fail "add-level hid the checker's message"
cmp -s "$lv/level3.txt" "$work/old3.txt" || fail "a refused text changed level 3"
scripts/add-level "$lv/level1.txt" 1 2>/dev/null && fail "add-level replaced the editor template"
scripts/add-level "$work/negative.txt" 3 >/dev/null || fail "add-level refused a good text"
cmp -s "$lv/level3.txt" "$work/negative.txt" || fail "add-level did not install the good text"
# Spacing carries no meaning: a hand-spaced text is installed in the editor's layout.
tr -s ' ' <"$work/negative.txt" >"$work/squeezed.txt"
cp "$lv/level4.txt" "$work/old4.txt"
scripts/add-level "$work/squeezed.txt" 4 >/dev/null || fail "add-level refused a hand-spaced text"
cmp -s "$lv/level4.txt" "$work/negative.txt" || fail "add-level did not lay out a hand-spaced text as the editor does"
ls "$lv"/*.tmp >/dev/null 2>&1 && fail "add-level left a temporary file behind"

[ "$failures" -eq 0 ] && echo "level checks passed"
exit $((failures > 0))
