#!/usr/bin/env bash
# Builds the native program and runs the installer in this terminal, on the
# default prefix (or the one TARNWICK_PREFIX names).
set -euo pipefail
cd "$(dirname "$0")/.."
need=()
for p in cmake make g++ libncurses-dev libgtest-dev libgmock-dev g++-mingw-w64-i686; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
mkdir -p build
# The build's output goes to a log, shown when the build fails.
if ! { cmake -S . -B build/app -DCMAKE_BUILD_TYPE=Release -DTW_TESTS=OFF \
       && cmake --build build/app --target TarnwickSetup -j"$(nproc)"; } >build/app.log 2>&1; then
  tail -40 build/app.log
  echo "run-installer: the build failed; the whole output is in build/app.log" >&2
  exit 1
fi
exec build/app/src/TarnwickSetup "$@"
