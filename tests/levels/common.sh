# Shared by the level tests that stop at the first failure, sourced with the
# build directory as $1 from the repository root: the build, a scratch
# directory removed on exit, and fail.
build=$(cd "${1:?usage: $(basename "$0") BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
