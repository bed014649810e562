#!/usr/bin/env bash
# Builds the Debian package of a build folder with CPack and checks its name, contents and
# dependencies, then runs lintian, which must find no error (warnings are printed).
#   CheckPackage.sh <build folder>
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
id=org.example.Quillo
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$out" && cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null)
deb=$(ls "$out"/quillo_1.06-1_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no quillo_1.06-1_<arch>.deb in: $(ls "$out")"

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in ./usr/bin/quillo ./usr/bin/quillo-lab ./usr/share/applications/$id.desktop \
         ./usr/share/metainfo/$id.metainfo.xml ./usr/share/icons/hicolor/256x256/apps/$id.png \
         ./usr/share/man/man1/quillo.1.gz ./usr/share/doc/quillo/copyright; do
  grep -qx "$f" <<<"$contents" || fail "$f is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libcurl4 libssl3 zlib1g fonts-liberation; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "1.06-1" ] || fail "version $(dpkg-deb -f "$deb" Version)"

lintian --fail-on error "$deb" || fail "lintian found errors"
echo "package: 1 passed, 0 failed"
