# The sound the game really plays, through the library's own ALSA driver: each
# run gets a private ALSA configuration (a .asoundrc in a temporary HOME) whose
# default device writes the stream to a file instead of a sound card. Checked
# on energy over windows of the stream, as the mixer's timing is its own (with
# no card to pace it the stream runs faster than the game).
source "$(dirname "$0")/lib.sh"
start_x
REAL_HOME=$HOME

# run_into FILE PROGRAM ACTIONS...: the program with the default ALSA device
# writing to FILE, the actions run once its window is up, then Escape.
run_into() {
  local file=$1 program=$2
  shift 2
  export HOME=$TMP/home-$(basename "$file")
  mkdir -p "$HOME"
  printf 'pcm.!default {\n  type file\n  slave.pcm "null"\n  file "%s"\n  format "wav"\n}\n' "$file" >"$HOME/.asoundrc"
  start_game "$program" "$TMP/work"  # the editor leaves its unsaved edit there
  "$@"
  quits "$program"
  export HOME=$REAL_HOME
  [ -s "$file" ] || fail "$program played nothing into the ALSA device"
}

# One line per tenth of a second of the stream: the RMS of the left and the
# right channel, full scale 1. The library mixes to unsigned 16-bit samples,
# which the file's header calls signed, so sox is told.
windows() {
  sox -e unsigned -t wav "$1" -t dat - | awk '
    /^;/ {next}
    {n++; l += $2 * $2; r += $3 * $3}
    n == 4410 {printf "%.5f %.5f\n", sqrt(l / n), sqrt(r / n); n = l = r = 0}'
}
count() { windows "$1" | wc -l; }

on_title() { sleep 1.2; }
run_into "$TMP/title.wav" upshot on_title
[ "$(count "$TMP/title.wav")" -ge 5 ] || fail "the title's stream is shorter than half a second"
# The music is loud in nearly every window (silence is exactly 0), and alone:
# its balance between the channels is the same in every window.
windows "$TMP/title.wav" | awk '
  $2 > 0.01 {loud++; ratio[int($1 / $2 * 100 + 0.5)]++}
  END {
    for (r in ratio) kinds++
    if (loud < 0.8 * NR) {print "the title music is silent in " NR - loud " of " NR " windows"; exit 1}
    if (kinds > 2) {print "the title music changes its balance: " kinds " different ratios"; exit 1}
  }' >"$TMP/why" || fail "$(cat "$TMP/why")"

on_editor() { hold space; hold Return; hold Right 0.5; }
run_into "$TMP/editor.wav" upshot-editor on_editor
[ "$(count "$TMP/editor.wav")" -ge 5 ] || fail "the editor's stream is shorter than half a second"
windows "$TMP/editor.wav" | awk '$1 > 0 || $2 > 0 {exit 1}' || fail "the editor is not silent"

# Play: a second without a shot, then Space held for a second. The shot is
# panned to the left and the music to the right, so a shot shows as windows
# whose left channel is well above the music's own balance.
in_play() { sleep 0.3; hold s; sleep 1; hold space 1; sleep 0.3; }
run_into "$TMP/play.wav" upshot in_play
read -r ratio < <(windows "$TMP/title.wav" | awk '$2 > 0.01 {print $1 / $2; exit}')
windows "$TMP/play.wav" | awk -v ratio="$ratio" '
  $2 > 0.01 && $1 > 2 * ratio * $2 {shots++; if (!first) first = NR}
  END {
    if (shots < 2) {print "Space added no sound on top of the music (" shots + 0 " windows)"; exit 1}
    if (first < 0.3 * NR) {print "a shot was heard at " first " of " NR " windows, before Space was held"; exit 1}
  }' >"$TMP/why" || fail "$(cat "$TMP/why")"

# A machine without a sound card: the game plays on silently and says nothing.
export HOME=$TMP/home-no-card
mkdir -p "$HOME"
printf 'pcm.!default {\n  type hw\n  card 31\n}\n' >"$HOME/.asoundrc"
start_game upshot
sleep 0.5
quits "the game without a sound card"
echo "title music, silent editor, shot over the music, no sound card: ok"
