#!/usr/bin/env bash
# A player's own level, installed with scripts/add-level, keeps the unit and
# replay tests green: none of them may rest on what a shipped level holds. In
# a copy of the tree (the files git tracks, or would), level 2 mirrored left to
# right is installed as level 3, and only the unit tests and upshot-replay are
# built and run there. The replay cases start on level 2 and see level 3 only
# as it comes in, anchors and all; the soak plays whatever levels it reaches.
# Run from the repository root: test_add_level_stays_green.sh BUILD_DIR
source "$(dirname "$0")/common.sh"
# Once is enough: the release build runs it, the sanitizer build skips it.
if grep -q '^UPSHOT_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "skipped in the sanitizer build"
  exit 77
fi
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || { echo "skipped: not a git checkout"; exit 77; }
root=$PWD

tree=$work/tree
mkdir "$tree"
git ls-files -z --cached --others --exclude-standard | tar --ignore-failed-read --null -T - -cf - | tar -xf - -C "$tree"
cd "$tree"
awk -f tests/levels/mirror.awk src/level/level2.txt >"$work/mirrored.txt"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DUPSHOT_BENCH=OFF >/dev/null
BUILD_DIR=$tree/build scripts/add-level "$work/mirrored.txt" 3 >/dev/null || fail "add-level refused the mirrored level"
cmp -s src/level/level3.txt "$root/src/level/level3.txt" && fail "level 3 was not replaced"

cmake --build build -j2 --target unit_tests upshot-replay >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "build"; }
build/tests/unit_tests --gtest_brief=1 || fail "unit tests with another level 3"
(cd build && ctest -L replay -j2 --output-on-failure) || fail "replay tests with another level 3"
echo "the unit and replay tests pass with another level 3"
