#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop sees there: the
# executables side by side, the desktop entry (desktop-file-validate), the AppStream
# description (appstreamcli validate, offline), the icons at their sizes.
set -euo pipefail
BUILD=$1
PREFIX=$(mktemp -d)
trap 'rm -rf "$PREFIX"' EXIT
cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null
for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    [ -n "${CI:-}" ] && { echo "$tool is missing"; exit 1; }
    echo "$tool is missing: skipped"; exit 77
  fi
done
test -x "$PREFIX/bin/penmark"
test -x "$PREFIX/bin/penmark-wizard"
desktop-file-validate "$PREFIX/share/applications/org.penmark.Penmark.desktop"
appstreamcli validate --no-net "$PREFIX/share/metainfo/org.penmark.Penmark.metainfo.xml" >/dev/null
test -s "$PREFIX/share/icons/hicolor/scalable/apps/org.penmark.Penmark.svg"
for size in 48 256; do
  png="$PREFIX/share/icons/hicolor/${size}x${size}/apps/org.penmark.Penmark.png"
  /usr/bin/python3 - "$png" "$size" <<'PY'
import sys
from PIL import Image
w, h = Image.open(sys.argv[1]).size
assert (w, h) == (int(sys.argv[2]),) * 2, (w, h)
PY
done
# The installed program runs from its new place.
"$PREFIX/bin/penmark" --version >/dev/null
echo "installed and valid"
