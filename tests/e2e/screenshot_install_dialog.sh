#!/bin/bash
# Starts the Windows build of the installer under wine64 on a virtual screen
# and takes a screenshot of the whole screen once the install dialog is up.
#
# Usage: tests/e2e/screenshot_install_dialog.sh [BUILD_DIR] [OUTPUT.png] [WAIT_SECONDS]
#   BUILD_DIR defaults to build/win64; WINEPREFIX defaults to /tmp/wp-e2e.
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$here/build/win64}
out=${2:-$PWD/install_dialog.png}
wait_seconds=${3:-8}
exe=$build/src/TarnwickSetup.exe
export WINEPREFIX=${WINEPREFIX:-/tmp/wp-e2e}
export WINEDEBUG=-all

[[ -f $exe ]] || { echo "no $exe: build the win64 preset first" >&2; exit 1; }
if [[ ! -d $WINEPREFIX ]]; then
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
fi

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  exe=$1 out=$2 wait_seconds=$3
  # A Wine desktop draws the window frames (caption, icon, close box) that a
  # bare X server without a window manager would leave out.
  /usr/lib/wine/wine64 explorer /desktop=e2e,1024x768 "$exe" >/dev/null 2>&1 &
  pid=$!
  sleep "$wait_seconds"
  import -display "$DISPLAY" -window root "$out"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
' screenshot "$exe" "$out" "$wait_seconds"
/usr/lib/wine/wineserver -k 2>/dev/null || true
echo "screenshot: $out"
