#!/usr/bin/env bash
# Instructions per frame the prover plays, counted by callgrind: unlike a
# time, the count does not depend on how busy the machine is. From the
# repository root:
#   bench/frame_instructions.sh [PROVER [LEVEL...]]
# PROVER is build/tools/prove_levels unless named (an older build can be
# measured the same way); the levels are 2 to 5, each proved for one clock
# seed. A frame here is one run_frame, with all it calls: the walk of the
# world, the score line and the level's end, with nothing drawn. "In all" is
# the whole proof's count, the search and the players' bookkeeping included.
set -euo pipefail
prover=${1:-build/tools/prove_levels}
shift || true
levels=${*:-2 3 4 5}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for n in $levels; do
  valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.$n" "$prover" --level "$n" --seeds 1 >/dev/null 2>&1
  # Every caller's line for run_frame holds the instructions spent in it, calls included, and how often it was
  # called; the line PROGRAM TOTALS holds the whole proof's.
  callgrind_annotate --threshold=100 --inclusive=yes --tree=calling "$out/callgrind.$n" | awk -v level="$n" '
    /PROGRAM TOTALS/ { all = $1; gsub(",", "", all) }
    /> .*:run_frame\(FramePlatform const&\) \(/ {
      cost = $1; gsub(",", "", cost); total += cost
      calls = $0; sub(/.*\(/, "", calls); sub(/x\).*/, "", calls); gsub(",", "", calls); frames += calls
    }
    END { printf "level %s: %d frames, %.0f instructions a frame, %.0f in all\n", level, frames, total / frames, all }'
done
