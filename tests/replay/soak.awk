# Writes a long replay script of random held keys: awk -v seed=N -v frames=N -f soak.awk
# A plain Park-Miller generator, so every awk writes the same script for a seed.
function rnd(n) { state = (state * 16807) % 2147483647; return state % n }
BEGIN {
    state = seed % 2147483646 + 1
    split("LEFT RIGHT UP DOWN ENTER F3 F4 SPACE S RSHIFT LSHIFT F1 A ENTER_PAD", keys, " ")
    print "check"
    for (done = 0; done < frames; done += n) {
        r = rnd(1000)
        if (r < 4) {  # a long hold of each key in turn, sometimes with one more
            long_key = long_key % 10 + 1
            n = 200 + rnd(2800)
            print "frames " n " " keys[long_key] (rnd(2) ? " " keys[1 + rnd(10)] : "")
            continue
        }
        if (r < 20) print "clock " rnd(100000)
        else if (r < 30) {  # the view, the ship and the cursor: often far off the level
            far = rnd(2)
            v = far ? (rnd(6001) - 3000) * 10 : (10 + rnd(247)) * 10
            print "set scroll_y " v "\nset top_row " v / 10
            print "set player_off_x " (far ? (rnd(2001) - 1000) * 10 : rnd(300) - 150)
            print "set cursor_off_x " (far ? (rnd(2001) - 1000) * 10 : rnd(34) * 10 - 10)
            print "set cursor_off_y " (far ? (rnd(2001) - 1000) * 10 : rnd(34) * 10 - 10)
        }
        n = 1 + rnd(12)
        line = "frames " n
        for (k = rnd(4); k > 0; k--) line = line " " keys[1 + rnd(14)]
        print line
    }
    print "frames 1 ESC"
}
