#!/usr/bin/env bash
# Soak: 200,000 frames in each start mode of seeded random keys, long holds of
# every key, and jumps of the view, the ship and the cursor far outside the
# level, with the game's invariants checked after every frame (the replay's
# `check`) and any sanitizer report fatal. The sanitizer build runs the full
# length; the plain build a 50,000-frame prefix of the same scripts.
# SOAK_SEED=n replays another seed.
source "$(dirname "$0")/common.sh"

frames=200000
grep -q '^UPSHOT_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" || frames=50000
seed=${SOAK_SEED:-1}
for mode in title play editor; do
  awk -v seed="$seed" -v frames=$frames -f "$here/soak.awk" >soak-$mode.txt
  status=0
  "$replay" --start-mode $mode soak-$mode.txt >out.txt 2>err.txt || status=$?
  if [ $status -ne 0 ] || [ -s err.txt ] || [ "$(cat out.txt)" != '{"exit":0}' ]; then
    cat err.txt >&2
    fail "$mode, exit status $status; replay with: awk -v seed=$seed -v frames=$frames" \
      "-f tests/replay/soak.awk | upshot-replay --start-mode $mode"
  fi
done
