# The game in a real window: its size, the title picture, a frame of play after
# S and the arrows, and Escape ending it cleanly.
source "$(dirname "$0")/lib.sh"
start_x
start_game upshot

read -r w h < <(xwininfo -id "$WIN" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
[ "$w $h" = "320 320" ] || fail "window is $w x $h, not 320 x 320"

sleep 0.5
shot title
awk -v m="$(mean title)" 'BEGIN {exit !(m > 0.02)}' || fail "the title frame is black"

hold s
hold Up 0.5
hold Left 0.3
shot play
changed=$(compare -metric AE "$TMP/title.png" "$TMP/play.png" null: 2>&1 || true)
[ "${changed%% *}" -gt 5000 ] || fail "the play frame looks like the title ($changed pixels differ)"

quits "the game"
echo "window, title, play and Escape: ok"
