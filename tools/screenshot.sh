#!/usr/bin/env bash
# Remakes docs/lum-window.png: the LUM window right after a read-out of the
# demo device, drawn on a virtual X server.
#
# The picture is taken by the window's end-to-end test (tests/qml/
# tst_endtoend.qml), which connects to the device simulator through the port
# list, clicks ">> Auslesen >>" and, when LUM_WINDOW_SCREENSHOT names a file,
# writes the window's picture there once the editor shows the device's rows.
#   tools/screenshot.sh [--qt6] [OUTPUT.png]     (--qt6: with the Qt 6 build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
preset=default
build="$top/build"
if [ "${1:-}" = "--qt6" ]; then
  shift
  preset=qt6
  build="$top/build-qt6"
fi
out="${1:-$top/docs/lum-window.png}"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

"$top/tools/setup.sh" "$preset"

mkdir -p "$(dirname "$out")"
rm -f "$out"
LUM_WINDOW_SCREENSHOT="$out" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 \
  xvfb-run -a -s "-screen 0 1600x1000x24" \
  "$build/tests/qml/tst_qmlwindow" -input "$top/tests/qml/tst_endtoend.qml"

if [ ! -s "$out" ]; then
  echo "No picture was written to $out" >&2
  exit 1
fi
echo "Window picture: $out"
