#!/usr/bin/env bash
# Builds the Debian package into build/ and checks it: the files it must hold (unpacked into a
# temporary root), lintian, the AppStream and desktop-entry validators.
# Usage: scripts/package.sh [--no-build]    (--no-build: package an existing build)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KV_BUILD_DIR:-$here/build}"
if [ "${1:-}" != "--no-build" ]; then
  source "$here/scripts/deps.sh"
  kv_install_deps
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"
fi
rm -f "$build"/kv4420_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/kv4420_*.deb)"

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
status=0
for f in usr/bin/kv4420 usr/bin/kv4420ctl usr/bin/kv4420-sim \
         usr/lib/udev/rules.d/99-kv4420.rules \
         usr/share/applications/kv4420.desktop \
         usr/share/icons/hicolor/scalable/apps/kv4420.svg \
         usr/share/icons/hicolor/16x16/apps/kv4420.png usr/share/icons/hicolor/48x48/apps/kv4420.png \
         usr/share/icons/hicolor/256x256/apps/kv4420.png \
         usr/share/mime/packages/kv4420.xml \
         usr/share/metainfo/io.github.kv4420.metainfo.xml \
         usr/share/man/man1/kv4420.1.gz usr/share/man/man1/kv4420ctl.1.gz usr/share/man/man1/kv4420ctl-serve.1.gz usr/share/man/man1/kv4420-sim.1.gz \
         usr/share/doc/kv4420/copyright usr/share/doc/kv4420/changelog.gz; do
  if [ ! -s "$root/$f" ]; then
    echo "package lacks /$f" >&2
    status=1
  fi
done
grep -q 'TAG+="uaccess"' "$root/usr/lib/udev/rules.d/99-kv4420.rules" || { echo "udev rule without uaccess" >&2; status=1; }
dpkg-deb -I "$deb" postinst >/dev/null || { echo "package without postinst" >&2; status=1; }
depends="$(dpkg-deb -f "$deb" Depends)"
for d in libqt6widgets6 libhidapi-hidraw0 fonts-wqy-microhei qt6-qpa-plugins; do
  case "$depends" in *"$d"*) ;; *) echo "Depends lacks $d: $depends" >&2; status=1 ;; esac
done
# Header-only libraries (JSON, argument parsing) are built in: no -dev package at run time.
case "$depends" in *-dev*) echo "Depends names a development package: $depends" >&2; status=1 ;; esac
appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.kv4420.metainfo.xml" || status=1
desktop-file-validate "$root/usr/share/applications/kv4420.desktop" || status=1
# Errors fail the package; warnings and information are printed for the reader.
if lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"; then :; else status=1; fi
[ "$status" -eq 0 ] && echo "package ok: $deb"
exit "$status"
