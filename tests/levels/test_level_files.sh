#!/usr/bin/env bash
# The real programs refuse a bad level file before any window opens: one line
# on stderr naming the file, the line and the rule, status 2, and the file
# exactly as it was. Run without a display, so that a program that got as far
# as its window would end with status 1 instead. test_level_files.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:?usage: test_level_files.sh BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset DISPLAY
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
good=src/level/level2.txt

# refused FILE WHAT: both programs refuse FILE with the one line "FILE:WHAT"
# (WHAT a pattern: ":LINE: rule" or " rule") and leave it untouched.
refused() {
  local file=$1 what=$2 before after program
  before=$(stat -c '%s %Y %a' "$file" 2>&1; [ -f "$file" ] && md5sum <"$file")
  for program in "upshot --level" upshot-editor; do
    STATUS=0
    timeout 20 $build/$program "$file" >/dev/null 2>"$work/err" || STATUS=$?
    [ "$STATUS" -eq 2 ] || fail "$program $file: status $STATUS, not 2"
    [ "$(wc -l <"$work/err")" -eq 1 ] && grep -Eq "^$file$what\$" "$work/err" ||
      fail "$program $file: want '$file$what', got: $(head -c 300 "$work/err")"
  done
  after=$(stat -c '%s %Y %a' "$file" 2>&1; [ -f "$file" ] && md5sum <"$file")
  [ "$before" = "$after" ] || fail "$file was changed"
}

head -c 60000 "$good" >"$work/truncated.txt" && refused "$work/truncated.txt" ":134: holds 4267 values, level 2 needs 9183"
{ head -c 1000 "$good"; printf '\r'; tail -c +1001 "$good"; } >"$work/cr.txt"
refused "$work/cr.txt" ":3: a carriage return without a line feed"
sed '40s/^ 0,           / 99999999999,/' "$good" >"$work/range.txt"
refused "$work/range.txt" ":40: '99999999999' does not fit 32 bits"
code=$(grep -o ' [1-9][0-9],' "$good" | head -1 | tr -d ' ,')
sed "287s/^ 0,/ $code,/" "$good" >"$work/twice.txt"
refused "$work/twice.txt" ":287: object code $code is used twice \(first on line [0-9]+\)"
sed '1s/^ 1014,/ 0,   /' "$good" >"$work/anchor.txt" && refused "$work/anchor.txt" ":1: the first value is 0, not the editor cursor 1014"
cp "$build/upshot" "$work/binary.txt" && refused "$work/binary.txt" ":1: holds the byte 0x7f, so it is not a level text"
: >"$work/empty.txt" && refused "$work/empty.txt" ":1: holds 0 values, level 2 needs 9183"
mkdir "$work/folder.txt" && refused "$work/folder.txt" ": is a directory, not a level text"
truncate -s 11M "$work/big.txt" && refused "$work/big.txt" ": is 11534336 bytes, more than the 10485760 bytes a level text may be"
chmod 000 "$work/anchor.txt" && [ ! -r "$work/anchor.txt" ] &&
  refused "$work/anchor.txt" ": cannot be read: Permission denied"

# A good file passes the check, and the programs go on to their window.
for program in "upshot --level" upshot-editor; do
  STATUS=0
  timeout 20 $build/$program "$good" 2>"$work/err" || STATUS=$?
  [ "$STATUS" -eq 1 ] && [ ! -s "$work/err" ] || fail "$program $good: status $STATUS, $(cat "$work/err")"
done

[ "$failures" -eq 0 ] && echo "level files checked"
exit $((failures > 0))
