#!/bin/sh
# Installs the build into a scratch folder as `cmake --install` would for a package and checks
# what a desktop needs: both programs in bin/, a menu entry that desktop-file-validate accepts
# and whose Exec and Icon resolve to installed files, an AppStream file that appstreamcli
# accepts and that names that menu entry, the icon in every size, manual pages and licenses.
# Exits 77 (skipped) where the validators are not installed.
#   usage: check-install.sh BUILD_DIR
set -eu
build=$1
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
usr="$stage/usr"
fail=0
need() { [ -e "$usr/$1" ] || { echo "missing: /usr/$1"; fail=1; }; }

need bin/qdclient
need bin/qd-peer
[ -x "$usr/bin/qdclient" ] || { echo "qdclient is not executable"; fail=1; }
need share/doc/qdclient/copyright
need share/doc/qdclient/OFL.txt
need share/man/man1/qdclient.1.gz
need share/man/man1/qd-peer.1.gz
need share/icons/hicolor/scalable/apps/qdclient.svg
for size in 16 22 24 32 48 64 128 256 512; do need "share/icons/hicolor/${size}x${size}/apps/qdclient.png"; done

set -- "$usr"/share/applications/*.desktop
[ "$#" -eq 1 ] && [ -f "$1" ] || { echo "expected one menu entry, found: $*"; exit 1; }
desktop=$1
desktop-file-validate "$desktop" || fail=1
exec_cmd=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$usr/bin/${exec_cmd%% *}" ] || { echo "Exec=$exec_cmd is not an installed program"; fail=1; }
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$usr/share/icons/hicolor/48x48/apps/$icon.png" ] || { echo "Icon=$icon is not an installed icon"; fail=1; }

set -- "$usr"/share/metainfo/*.metainfo.xml
[ "$#" -eq 1 ] && [ -f "$1" ] || { echo "expected one AppStream file, found: $*"; exit 1; }
appstreamcli validate --no-net "$1" || fail=1
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$1" ||
  { echo "the AppStream file does not launch $(basename "$desktop")"; fail=1; }

# Nothing of the tests, benchmarks or developer tools goes into the package.
extra=$(find "$usr/bin" -type f ! -name qdclient ! -name qd-peer)
[ -z "$extra" ] || { echo "unexpected programs: $extra"; fail=1; }
[ "$fail" -eq 0 ] && echo "install check passed"
exit "$fail"
