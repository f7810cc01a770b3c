#!/usr/bin/env bash
# A bad level text is refused wherever it comes in, in one line naming the file,
# its line and the rule (every rule and its words: tests/unit/level/test_level_text.cpp),
# and changes nothing: the build's level_pack writes no table, scripts/add-level
# installs nothing (nor a level that cannot be cleared), and the game and the
# editor stop before any window opens.
# Run from the repository root: test_level_checks.sh BUILD_DIR
source "$(dirname "$0")/common.sh"
pack=$build/level_pack
lv=$work/lv bad=$work/bad.txt good=src/level/level2.txt && mkdir "$lv" && cp src/level/level[1-5].txt "$lv/"

# packed_refuses N LINE WHAT: packing the levels with bad.txt as level N fails,
# names bad.txt, the line and WHAT, and leaves no table behind.
packed_refuses() {
  local args=("$lv"/level[1-5].txt)
  args[$1 - 1]=$bad
  ! "$pack" "$work/out.cpp" "${args[@]}" 2>"$work/err" || fail "level_pack accepted: $3"
  grep -q "^level_pack: $bad:$2: .*$3" "$work/err" || fail "want 'level_pack: $bad:$2: ...$3', got: $(cat "$work/err")"
  ! ls "$work"/out.cpp* >/dev/null 2>&1 || fail "a table was written although $3"
}
sed '287s/^ 0,/ 6,/' "$good" >"$bad" && packed_refuses 2 287 "code 6 is used twice"
(cat "$lv/level1.txt" && sed -n 5,6p "$lv/level1.txt") >"$bad" && packed_refuses 1 289 "level 1 needs 9216"
# "% d" also writes negative values, which a level may hold.
sed '2s/^ 0,/-5,/' "$good" >"$work/negative.txt"
"$pack" "$work/out.cpp" "$lv/level1.txt" "$work/negative.txt" "$lv"/level[345].txt || fail "the levels were refused"
grep -q ',-5,' "$work/out.cpp" || fail "no table was written, or it lost the value -5"

# add-level: a refused text changes nothing, nor does the editor's template; a
# good one is installed, laid out as the editor writes it however it was written:
# spacing and line ends carry no meaning, nor do a '+' sign and leading zeros.
export BUILD_DIR=$build LEVEL_DIR=$lv
sed -E '25s/^(.{210}) 1,/\1 0,/' "$good" >"$bad"
cp "$lv/level3.txt" "$work/old3.txt"
! scripts/add-level "$bad" 3 2>"$work/err" || fail "add-level installed a bad text"
grep -q "bad.txt:25: .*not the player anchor" "$work/err" || fail "add-level hid the checker's message"
cmp -s "$lv/level3.txt" "$work/old3.txt" || fail "a refused text changed level 3"
! scripts/add-level "$lv/level1.txt" 1 2>/dev/null || fail "add-level replaced the editor template"
tr -s ' ' <"$work/negative.txt" | sed -E '3s/^ 0,/+00,/; 5s/ 0,/\t0 ,/; 7s/\r$//' >"$work/squeezed.txt"
scripts/add-level "$work/squeezed.txt" 4 >/dev/null || fail "add-level refused a hand-spaced text"
cmp -s "$lv/level4.txt" "$work/negative.txt" || fail "add-level did not lay out a hand-spaced text as the editor does"
! ls "$lv"/*.tmp >/dev/null 2>&1 || fail "add-level left a temporary file behind"
# A level that cannot be cleared is refused too, saying how high the ship got and
# what stopped it: a wall of blocks across row 200 (line 200 holds its columns
# 0..31, each a 14-character field), 40 pixels wide at columns 1, 5, ..., 29. The
# ship's top edge stops 41 pixels below the wall's top.
awk 'NR == 200 { for (c = 1; c <= 29; c += 4) $0 = substr($0, 1, 14 * c) sprintf("%-14s", " 2,") substr($0, 14 * c + 15) } { print }' \
  "$good" >"$work/walled.txt"
! scripts/add-level "$work/walled.txt" 3 >/dev/null 2>"$work/err" || fail "add-level installed a level with a wall across"
grep -q "no higher than row 204; above it: .*block at (200, " "$work/err" && grep -q "no clock seed clears it" "$work/err" ||
  fail "add-level did not say what stopped the ship: $(cat "$work/err")"
cmp -s "$lv/level3.txt" "$work/old3.txt" || fail "a refused level changed level 3"
scripts/add-level "$good" 3 >/dev/null 2>"$work/err" || fail "add-level refused level 2: $(cat "$work/err")"
cmp -s "$lv/level3.txt" "$good" || fail "add-level did not install the clearable level"

# The programs, run without a display (one that got as far as its window would
# end with status 1): refused FILE WHAT, where WHAT is ":LINE: rule" or " rule".
unset DISPLAY
state() { stat -c '%s %Y %a' "$1" 2>&1; [ ! -f "$1" ] || md5sum <"$1"; }
refused() {
  local file=$1 before program status
  before=$(state "$file")
  for program in "upshot --level" upshot-editor; do
    status=0
    timeout 20 $build/$program "$file" >/dev/null 2>"$work/err" || status=$?
    [ "$status" -eq 2 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -Eq "^${program%% *}: $file$2\$" "$work/err" ||
      fail "$program $file: status $status, want '${program%% *}: $file$2', got: $(head -c 300 "$work/err")"
  done
  [ "$before" = "$(state "$file")" ] || fail "$file was changed"
}
refused "$bad" ":25: cell \(25, 15\) holds 0, not the player anchor 1"
mkdir "$work/folder.txt" && refused "$work/folder.txt" ": is a directory, not a level text"
truncate -s 11M "$work/big.txt" && refused "$work/big.txt" ": is 11534336 bytes, more than the 10485760 bytes a level text may be"
chmod 000 "$bad" && [ ! -r "$bad" ] && refused "$bad" ": cannot be read: Permission denied"
# A good file lets the programs go on to their window, which they cannot open.
# (Pipes, FIFOs and devices: tests/e2e/test_odd_files.sh.)
for program in "upshot --level" upshot-editor; do
  status=0
  timeout 20 $build/$program "$good" 2>"$work/err" || status=$?
  [ "$status" -eq 1 ] && [ "$(cat "$work/err")" = "${program%% *}: cannot open a window: DISPLAY is not set" ] ||
    fail "$program $good: status $status, $(cat "$work/err")"
done
echo "level checks passed"
