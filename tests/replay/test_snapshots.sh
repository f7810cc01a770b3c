#!/usr/bin/env bash
# save and restore, level and events: a restore followed by the same lines
# prints the same bytes as a run that never left; level N is the game's own
# level progression; events name the shot that ended play.
source "$(dirname "$0")/common.sh"

# A run through two levels with deaths, sounds and a check, and the same run
# that saves, wanders off (other keys, clock, fields, level, a dump that takes
# the sounds) and comes back. Only the wandering's own dump lines may differ.
cat >straight.txt <<'S'
clock 1
frames 1 S
check
events on
frames 30 UP SPACE
dump
frames 40 UP SPACE
screenshot straight.bmp
frames 260 UP RIGHT SPACE
dump
S
awk '{ print } /^frames 30 UP SPACE/ {
  print "save here"; print "events off"; print "frames 50 DOWN SPACE"; print "clock 99"
  print "set player_off_x 40"; print "level 4"; print "frames 9 LEFT"; print "dump sounds"
  print "events on"; print "restore here" }
  /^frames 40 UP SPACE/ { print "save there"; print "frames 3 RIGHT"; print "restore there" }' \
  straight.txt >wandering.txt
"$replay" straight.txt >straight.out
mv straight.bmp first.bmp
"$replay" wandering.txt | grep -v '^{"sounds"' >wandering.out
cmp -s straight.out wandering.out || fail "restore changed the run: $(diff straight.out wandering.out | head -5)"
cmp -s first.bmp straight.bmp || fail "a screenshot after a restore shows another frame"
grep -q '"event":"death"' straight.out || fail "the run was meant to see a death"

# The checker's own memory is part of a snapshot: a block placed after the save
# is gone after the restore, and the editor frames that follow are checked
# against the restored grid.
printf 'check\nframes 11 SPACE\nsave a\nframes 8 RIGHT\nframes 2 ENTER\nrestore a\nframes 20 ENTER\n' >editor.txt
"$replay" --start-mode editor editor.txt || fail "the editor check failed after a restore"

# level N from the title screen is S and then the top of level N-1 reached:
# the same tables, grid, view and score as the game's own level end.
fields='mode level_number scroll_y top_row player_off_x ship_frame next_shot score player_shots walkers walker_shots right_turrets left_turrets'
for n in 2 3 4 5; do
  before=$(( n == 2 ? 5 : n - 1 ))
  printf 'clock 11\nframes 1 S\nset level_number %s\nset scroll_y 100\nset top_row 10\nframes 1\ndump %s grid\n' \
    "$before" "$fields" | "$replay" >reached.json
  printf 'clock 11\nframes 1 S\nlevel %s\ndump %s grid\n' "$n" "$fields" | "$replay" >jumped.json
  cmp -s reached.json jumped.json || fail "level $n differs from reaching it"
  grep -q "\"level_number\":$n," jumped.json || fail "level $n: $(cut -c1-80 jumped.json)"
done
# From play, level keeps the score; check follows the level it loads.
printf 'frames 1 S\nset score[3] 4\ncheck\nlevel 5\nframes 3 UP\nlevel 2\nframes 3 UP\ndump level_number score\n' |
  "$replay" >kept.json || fail "check failed after level"
[ "$(cat kept.json)" = '{"level_number":2,"score":[0,0,0,4,0,0,0,0,0]}' ] || fail "level from play: $(cat kept.json)"

# Events: the death names the flying shot that hit the ship, as it stood in the
# frame before (which shot that is, for each table and its drift:
# tests/unit/probe/test_probe.cpp); a level end names both levels; an export counts.
printf 'clock 3\nframes 1 S\nevents on\nframes 400 UP LEFT\n' | "$replay" >death.json
read -r table slot owner x y px py < <(sed -E \
  's/.*"table":"([a-z_]+)","slot":([0-9]+),"owner":([0-9]+),"shot":\{"state":2,"x":(-?[0-9]+),"y":(-?[0-9]+)\},"player_x":(-?[0-9]+),"player_y":(-?[0-9]+)\}$/\1 \2 \3 \4 \5 \6 \7/' death.json)
[ -n "$py" ] || fail "death event: $(cat death.json)"
frame=$(sed -E 's/.*"frame":([0-9]+).*/\1/' death.json)
printf 'clock 3\nframes 1 S\nframes %s UP LEFT\ndump %s[%s][%s] mode\n' "$((frame - 1))" "$table" "$slot" "$owner" | "$replay" >shot.json
[ "$(cat shot.json)" = "{\"$table[$slot][$owner]\":{\"state\":2,\"x\":$x,\"y\":$y},\"mode\":1}" ] ||
  fail "the named shot is not where the event says: $(cat shot.json)"
printf 'frames 1 S\nlevel 5\nevents on\nset scroll_y 110\nset top_row 11\nframes 2 UP\n' | "$replay" >end.json
[ "$(cat end.json)" = '{"event":"level_end","frame":3,"level":5,"next":2}' ] || fail "level end: $(cat end.json)"
printf 'events on\nframes 2 RSHIFT\n' | "$replay" --start-mode editor >export.json
[ "$(cat export.json)" = '{"event":"export","frame":1,"exports":1}
{"event":"export","frame":2,"exports":2}' ] || fail "exports: $(cat export.json)"
