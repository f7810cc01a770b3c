# Shared by the replay tests, sourced with the build directory as $1: strict mode, the tool,
# and a scratch directory with the repository's data/ to run it in, so that
# exports and screenshots never land in the tree.
set -euo pipefail
root=$PWD
build=$(cd "$1" && pwd)
replay=$build/upshot-replay
here=$root/tests/replay
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$root/data" "$work/data"
cd "$work"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
