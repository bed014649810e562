#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a desktop expects to find there:
# both programs, the desktop entry and AppStream metadata (validated), every icon size, the
# manual pages and the package documents.
#   CheckInstall.sh <build folder>
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
id=org.example.Quillo

cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "FAIL: $*" >&2; exit 1; }

for f in bin/quillo bin/quillo-lab; do
  [ -x "$prefix/$f" ] || fail "$f is missing or not executable"
done
for f in share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/man/man1/quillo.1.gz \
         share/man/man1/quillo-lab.1.gz share/doc/quillo/copyright \
         share/doc/quillo/changelog.Debian.gz; do
  [ -s "$prefix/$f" ] || fail "$f is missing"
done
for size in 16 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  file "$png" | grep -q "PNG image data, $size x $size" || fail "icon $size: $(file "$png")"
done

desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
  "$prefix/share/metainfo/$id.metainfo.xml" || fail "the metainfo launches another desktop id"
for page in quillo quillo-lab; do
  warnings=$(zcat "$prefix/share/man/man1/$page.1.gz" | groff -man -z -ww 2>&1)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done
echo "install layout: 1 passed, 0 failed"
