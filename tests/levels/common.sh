# Shared by the level tests, sourced with the build directory as $1 from the
# repository root: strict mode, the build, a scratch directory removed on
# exit, and fail.
set -euo pipefail
build=$(cd "${1:?usage: $(basename "$0") BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
