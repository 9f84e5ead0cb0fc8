# Checks the emulator's log lines of the frames sent while the real time runs
# as minutes:seconds. Prints why and exits 1 on the first bad frame.
#
# Every frame is a value frame "D" mm ss CR LF holding the clock at the time it
# was sent. The display logs when each frame arrived, so the value lies at
# most a little before that (two seconds of slack for a busy machine). The
# start sets no reference second, so its value may come once more with the
# first tick; after that each frame is the next second.
function digit(hex) {
    if (hex !~ /^3[0-9]$/) return -1
    return substr(hex, 2, 1) + 0
}
function bad(why) { print "frame " NR " (" $0 "): " why; failed = 1; exit 1 }
{
    if ($4 != "44" || $9 != "0D" || $10 != "0A" || $11 $12 != "(value,write)")
        bad("not a value frame")
    m1 = digit($5); m2 = digit($6); s1 = digit($7); s2 = digit($8)
    if (m1 < 0 || m2 < 0 || s1 < 0 || s2 < 0) bad("the value is not four digits")
    if (m1 > 5 || s1 > 5) bad("not minutes and seconds")
    value = (m1 * 10 + m2) * 60 + s1 * 10 + s2
    split($1, t, /[:.]/)
    arrived = t[2] * 60 + t[3]
    lag = (arrived - value + 3600) % 3600
    if (lag > 2) bad("the value is " lag " s away from the clock when it arrived")
    if (NR > 1) {
        step = (value - previous + 3600) % 3600
        if (step != 1 && !(step == 0 && NR == 2)) bad("follows " previous " s with a step of " step " s")
    }
    previous = value
}
END {
    if (failed) exit 1
    if (NR < 2) { print "only " NR " value frames while running"; exit 1 }
}
