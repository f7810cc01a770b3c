# Mirrors a level text left to right: the value in row r, column c moves to
# column 33 - c of the same row, right- and left-firing turrets trade kinds, and
# the editor cursor and the player anchor stay where they are. An object with no
# cell left to go to (the last row is one value short; an anchor's cell) is
# dropped. The result is another valid level, written as the editor exports:
# each value as "% d," in 14 characters, row 1 from column 1, the later rows
# from column 0 (so a line ends after value 30, 62, ...), CR LF line ends.
BEGIN { RS = "," }
{ gsub(/[ \t\r\n]/, ""); if ($0 != "") v[n++] = $0 + 0 }
END {
  player = 24 * 32 + 14
  for (k = 0; k < n; k++) out[k] = 0
  out[0] = v[0]
  out[player] = v[player]
  for (k = 0; k < n; k++) {
    m = k - k % 32 + 31 - k % 32
    if (k == 0 || k == player || m >= n || m == 0 || m == player || v[k] == 0) continue
    x = v[k]
    if (x >= 105 && x <= 153) x += 50
    else if (x >= 155 && x <= 203) x -= 50
    out[m] = x
  }
  for (k = 0; k < n; k++) printf "%-14s%s", sprintf("% d,", out[k]), (k % 32 == 30 ? "\r\n" : "")
}
