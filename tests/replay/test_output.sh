#!/usr/bin/env bash
# What the replay prints: replay scripts against their expected output (the
# commands, key names and paths, seen through the game's own behaviour), the
# whole dump's layout and screenshots. (The same output for the same input:
# test_snapshots.sh, which compares two runs.)
source "$(dirname "$0")/common.sh"

for script in "$here"/cases/*.script; do
  name=$(basename "$script" .script)
  # shellcheck disable=SC2046
  "$replay" $(sed -n 's/^# args: //p' "$script") "$script" >"$name.out" 2>err.txt || fail "$name: $(cat err.txt)"
  diff -u "${script%.script}.expected" "$name.out" || fail "$name: output differs from the expected"
done

# The whole dump: its top-level keys in order, and one number for every field
# of every record (at frame 0 no sound has been made).
echo dump | "$replay" >whole.json
sed -E 's/^\{//; s/\}$//; :a; s/\[[^][{}]*\]/A/g; s/\{[^][{}]*\}/O/g; ta' whole.json | grep -o '"[a-z_]*"' | tr -d '"' \
  | tr '\n' ' ' >keys.txt
diff -u <(tr '\n' ' ' <"$here/whole_dump_keys.txt") keys.txt || fail "top-level keys of the dump"
walker=18 turret=11 shot=3
fields=$((1 + 6 + 9 + 10 + 21 * shot + 101 * walker + 21 * 101 * shot + 2 * 51 * turret + 2 * 21 * 51 * shot + 10 + 289 * 33 + 1))
[ "$(grep -o -- '-\?[0-9]\+' whole.json | wc -l)" -eq "$fields" ] || fail "the dump should hold $fields numbers"

# Screenshots: 24-bit 320 x 320 BMPs, black before the first frame, the title
# picture after it.
printf 'screenshot before.bmp\nframes 1\nscreenshot title.bmp\n' | "$replay"
for f in before.bmp title.bmp; do
  [ "$(head -c 2 $f)" = BM ] || fail "$f is not a BMP"
  [ "$(od -An -tu4 -j18 -N8 $f | tr -s ' ')" = " 320 320" ] || fail "$f is not 320 x 320"
  [ "$(od -An -tu2 -j28 -N2 $f | tr -d ' ')" = 24 ] || fail "$f is not 24-bit"
  [ "$(stat -c %s $f)" -eq $((54 + 320 * 320 * 3)) ] || fail "$f has the wrong size"
done
[ "$(tail -c +55 before.bmp | tr -d '\0' | wc -c)" -eq 0 ] || fail "the screen before the first frame is not black"
[ "$(tail -c +55 title.bmp | tr -d '\0' | wc -c)" -gt 10000 ] || fail "the title screenshot is (nearly) black"
# The score line is white text: in the editor, on black, its corner must hold white.
printf 'frames 1\nscreenshot editor.bmp\n' | "$replay" --start-mode editor
[ "$(convert editor.bmp -crop 150x8+0+0 -format '%[fx:minima.r<0.5 && maxima.b>0.9]' info:)" = 1 ] ||
  fail "the score line is not drawn in white"
