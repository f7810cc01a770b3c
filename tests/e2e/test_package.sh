# The Debian package, built by dpkg-buildpackage from the committed tree
# twice: the second time in another folder, from files of another age, with
# another umask, time zone and locale; the two must be the same bytes. The
# package holds exactly the files it should, its dependencies are found from
# the programs, every program is hardened and every option its --help names
# is in its manual page; lintian (on the binary and the source package),
# desktop-file-validate and appstreamcli have nothing to complain about.
BUILD=$(cd "$1" && pwd)
if grep -q '^UPSHOT_SANITIZE:BOOL=ON' "$BUILD/CMakeCache.txt"; then
  echo "skipped: the package is built without the sanitizers"
  exit 77
fi
source "$(dirname "$0")/lib.sh"
for tool in git dpkg-buildpackage dh lintian hardening-check desktop-file-validate appstreamcli; do
  command -v $tool >/dev/null || fail "$tool is missing (scripts/setup --test installs it)"
done
git -C "$ROOT" rev-parse --verify -q HEAD >/dev/null || fail "$ROOT is not a git tree with a commit to build"

# Puts the tree of HEAD in FOLDER/upshot; its files are as old as the commit.
unpack() {
  mkdir -p "$1/upshot"
  git -C "$ROOT" archive HEAD | tar -x -C "$1/upshot"
}
# Builds the source and binary packages in FOLDER/upshot, in the environment
# given after FOLDER; the tests and benchmarks are not built.
build_package() {
  local folder=$1
  shift
  (cd "$folder/upshot" && env -u SOURCE_DATE_EPOCH "$@" DEB_BUILD_OPTIONS=parallel=2 dpkg-buildpackage -us -uc \
    </dev/null >"$folder/log" 2>&1) || fail "dpkg-buildpackage in $folder: $(tail -5 "$folder/log")"
}
unpack "$TMP/first"
build_package "$TMP/first" TZ=UTC LC_ALL=C
second=$TMP/second/a/longer/way
(
  umask 0002
  unpack "$second"
  find "$second" -exec touch -h -d '+1 hour' {} +
  build_package "$second" TZ=Pacific/Kiritimati LC_ALL=C.UTF-8
)
for package in "$TMP"/first/*.deb; do
  cmp "$package" "$second/$(basename "$package")" || fail "two builds of $(basename "$package") differ (diffoscope shows how)"
done
deb=$(ls "$TMP"/first/upshot_*.deb)

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort >"$TMP/files"
{
  for p in upshot upshot-editor upshot-prove upshot-replay; do echo "./usr/games/$p"; echo "./usr/share/man/man6/$p.6.gz"; done
  for f in effect.wav fall.wav gmsong.wav main.bmp main2.bmp; do echo "./usr/share/games/upshot/$f"; done
  for s in 16 24 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${s}x$s/apps/upshot.png"; done
  echo ./usr/share/applications/io.upshot.Upshot.desktop
  echo ./usr/share/applications/io.upshot.UpshotEditor.desktop
  echo ./usr/share/metainfo/io.upshot.Upshot.metainfo.xml
  echo ./usr/share/doc/upshot/copyright
  echo ./usr/share/doc/upshot/changelog.gz
} | sort >"$TMP/expected"
diff "$TMP/expected" "$TMP/files" >"$TMP/diff" || fail "the package's files differ: $(cat "$TMP/diff")"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in liballegro4.4 libx11-6 libc6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
! grep -q -- '-dev\b' <<<"$depends" || fail "Depends names a development package: $depends"

lintian --pedantic "$TMP"/first/upshot_*.changes >"$TMP/lintian" 2>/dev/null || true
! grep -E '^[EWP]: ' "$TMP/lintian" || fail "lintian complains"
dpkg-deb -x "$deb" "$TMP/root"
games=$TMP/root/usr/games
# Control flow protection needs C start files built for it, which Debian 12's are not.
hardening-check --nocfprotection "$games"/* >"$TMP/hardening" || fail "not hardened: $(grep -v ': yes' "$TMP/hardening")"
desktop-file-validate "$TMP"/root/usr/share/applications/*.desktop || fail "desktop-file-validate complains"
appstreamcli validate --no-net "$TMP"/root/usr/share/metainfo/*.xml >"$TMP/appstream" ||
  fail "appstreamcli: $(cat "$TMP/appstream")"

for program in upshot upshot-editor upshot-replay upshot-prove; do
  page=$(zcat "$TMP/root/usr/share/man/man6/$program.6.gz" | sed 's/\\-/-/g')
  # The options: in brackets, or first on a line (not those of other programs named in the text).
  for option in $("$games/$program" --help | grep -oE -- '(^ *|\[)--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' | sort -u); do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$page" || fail "$program --help names $option; its manual page does not"
  done
done
echo "$(basename "$deb"): $(wc -l <"$TMP/files") files, $(stat -c %s "$deb") bytes, built twice the same, sha256 $(sha256sum <"$deb" | cut -c1-16)...; Depends: $depends; lintian: no errors or warnings; hardened"
