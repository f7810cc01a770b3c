# Writes `count` seeded garbage scripts, garbage0.txt ...: lines of random bytes,
# well-formed lines that put the game in odd states, and shuffled command words
# with numbers huge, negative and odd.
function rnd(n) { state = (state * 16807) % 2147483647; return state % n }
BEGIN {
    state = 4242
    v = split("frames set dump clock check screenshot frames dump", verbs, " ")
    n = split("1 0 -7 4294967296 +3 007 99999999999999999999 S LEFT UP SPACE ESC ENTER mode grid[288][32]" \
        " grid[289] walkers[7].x walker_shots[20][100].state score[-1] [ ] . x.bmp # next_shot", words, " ")
    g = split("frames 3 S|frames 5 SPACE UP LEFT|frames 4 ENTER SPACE|frames 2 F3 F4 RSHIFT|set mode 0|set mode 3" \
        "|set next_shot 0|set walkers[3].next_slot 20|set grid[288][32] 154|set grid[0][0] 1014|set grid[1][1] 0" \
        "|set scroll_y -1000000000|set top_row 1000000000|set cursor_off_y -1000000000|set score[0] 1000000000" \
        "|set ship_frame -5|set brush 99|set level_number 99|check|dump|clock 2147483647", good, "|")
    for (f = 0; f < count; f++) {
        file = "garbage" f ".txt"
        for (l = rnd(12); l >= 0; l--) {
            r = rnd(6)
            if (r == 0) for (b = rnd(40); b > 0; b--) printf "%c", rnd(256) > file
            else if (r < 4) printf "%s", good[1 + rnd(g)] > file
            else {
                printf "%s", verbs[1 + rnd(v)] > file
                for (w = rnd(4); w > 0; w--) printf " %s", words[1 + rnd(n)] > file
            }
            printf "\n" > file
        }
        close(file)
    }
}
