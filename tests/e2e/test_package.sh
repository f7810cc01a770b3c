# The Debian package made from the build: exactly the files it should hold,
# dependencies found from the programs, and lintian, desktop-file-validate and
# appstreamcli with nothing to complain about.
BUILD=$(cd "$1" && pwd)
if grep -q '^UPSHOT_SANITIZE:BOOL=ON' "$BUILD/CMakeCache.txt"; then
  echo "skipped: the package is built without the sanitizers"
  exit 77
fi
source "$(dirname "$0")/lib.sh"
for tool in cpack dpkg-shlibdeps lintian desktop-file-validate appstreamcli; do
  command -v $tool >/dev/null || fail "$tool is missing (scripts/setup installs it)"
done
(cd "$TMP" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" >cpack.log 2>&1) || fail "cpack: $(tail -5 "$TMP/cpack.log")"
deb=$(ls "$TMP"/upshot_*.deb)

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

lintian --pedantic "$deb" >"$TMP/lintian" 2>/dev/null || true
! grep -E '^[EWP]: ' "$TMP/lintian" || fail "lintian complains"
dpkg-deb -x "$deb" "$TMP/root"
desktop-file-validate "$TMP"/root/usr/share/applications/*.desktop || fail "desktop-file-validate complains"
appstreamcli validate --no-net "$TMP"/root/usr/share/metainfo/*.xml >"$TMP/appstream" ||
  fail "appstreamcli: $(cat "$TMP/appstream")"
echo "$(basename "$deb"): $(wc -l <"$TMP/files") files, $(stat -c %s "$deb") bytes, Depends: $depends; lintian: no errors or warnings"
