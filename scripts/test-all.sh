#!/usr/bin/env bash
# Builds all three builds and runs every test layer:
#   native  (posix backend, ASan + UBSan): unit, contract and scenario tests via ctest
#   win64   (MinGW x86_64): contract and scenario tests under wine64 in one fresh WINEPREFIX
#   win32   (MinGW i686, the shipping target): built and linked only
#   interop: scripts in tests/interop that cross the two (posix files read by Wine)
#   e2e:     tests/e2e/terminal*.sh drive the native program in tmux
# Ends with one line "N passed, N failed"; the exit status is non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
JOBS=${JOBS:-$(nproc)}
START=$(date +%s)

log() { printf '== %s (%ss)\n' "$*" "$(( $(date +%s) - START ))"; }

# --- what the machine needs -------------------------------------------------
PACKAGES=(cmake make g++ libgtest-dev libgmock-dev googletest
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 xvfb xauth
  liblnk-utils mscompress libmspack-dev libncurses-dev icoutils imagemagick tmux)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  log "installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null || {
    echo "could not install: ${missing[*]}"; echo "0 passed, 1 failed"; exit 1; }
fi
WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)

passed=0
failed=0
failures=()
count() {  # count NAME STATUS
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("$1"); fi
}

# --- builds -------------------------------------------------------------------
for preset in native win64 win32; do
  log "configure and build $preset"
  if cmake --preset "$preset" >"build-$preset.log" 2>&1 \
     && cmake --build --preset "$preset" -j"$JOBS" >>"build-$preset.log" 2>&1; then
    count "build $preset" 0
  else
    tail -40 "build-$preset.log"
    count "build $preset" 1
  fi
done
mkdir -p build && mv -f build-*.log build/ 2>/dev/null

# --- native tests ----------------------------------------------------------------
if [ -d build/native ]; then
  log "native tests (ctest)"
  out=$(cd build/native && ctest -j"$JOBS" --output-on-failure --timeout 300 2>&1)
  echo "$out" | grep -E '^\s*[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*' | grep -vE ' Passed ' | tail -60
  total=$(echo "$out" | sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' | tail -1)
  nfail=$(echo "$out" | sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' | tail -1)
  if [ -n "$total" ]; then
    passed=$((passed + total - nfail)); failed=$((failed + nfail))
    [ "$nfail" -gt 0 ] && failures+=("native ctest: $nfail")
  else
    count "native ctest" 1
  fi
fi

# --- win64 tests under wine64 ------------------------------------------------------
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/tarnwick-wine.XXXXXX)
SCRATCH=$(mktemp -d /tmp/tarnwick-drives.XXXXXX)
if [ -d build/win64 ]; then
  log "new WINEPREFIX $WINEPREFIX"
  "$WINE" wineboot -i >/dev/null 2>&1
  # D: and E: are scratch drives for the tests; Q: maps nowhere.
  mkdir -p "$SCRATCH/d" "$SCRATCH/e"
  ln -sfn "$SCRATCH/d" "$WINEPREFIX/dosdevices/d:"
  ln -sfn "$SCRATCH/e" "$WINEPREFIX/dosdevices/e:"
  rm -f "$WINEPREFIX/dosdevices/q:"
  for exe in build/win64/tests/tw_*_tests.exe; do
    [ -f "$exe" ] || continue
    name=$(basename "$exe" .exe)
    log "wine64 $name"
    out=$(xvfb-run -a -s "-screen 0 1024x768x24" "$WINE" "$exe" 2>&1)
    status=$?
    p=$(echo "$out" | sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' | tail -1)
    f=$(echo "$out" | sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' | tail -1)
    echo "$out" | grep -E '^\[  FAILED  \]|: Failure$|^unknown file' | head -40
    if [ -z "$p" ] && [ -z "$f" ]; then
      echo "$out" | tail -20
      count "wine64 $name (did not finish, status $status)" 1
    else
      passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))
      [ "${f:-0}" -gt 0 ] && failures+=("wine64 $name: $f")
      [ "$status" -ne 0 ] && [ "${f:-0}" -eq 0 ] && count "wine64 $name exit status $status" 1
    fi
  done
fi

# --- interop between the posix backend and Wine -----------------------------------
if [ -d build/native ] && [ -d build/win64 ]; then
  for script in tests/interop/*.sh; do
    [ -f "$script" ] || continue
    log "interop $(basename "$script")"
    NATIVE_BUILD=$ROOT/build/native WIN64_BUILD=$ROOT/build/win64 WINE=$WINE \
      xvfb-run -a bash "$script"
    count "interop $(basename "$script")" $?
  done
fi

# --- end to end: the programs as a person uses them -----------------------------------
# The checks print PASS/FAIL lines and "N passed, N failed" (tests/e2e also holds
# tools such as the screenshot script, which are not checks).
if [ -d build/native ]; then
  for script in tests/e2e/terminal*.sh; do
    [ -f "$script" ] || continue
    log "e2e $(basename "$script")"
    out=$(NATIVE_BUILD=$ROOT/build/native WIN64_BUILD=$ROOT/build/win64 WINE=$WINE \
      xvfb-run -a bash "$script" 2>&1)
    status=$?
    echo "$out" | grep -E '^FAIL' | head -40
    totals=$(echo "$out" | tail -1 | sed -n 's/^\([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p')
    if [ -n "$totals" ]; then
      passed=$((passed + ${totals% *})); failed=$((failed + ${totals#* }))
      [ "${totals#* }" -gt 0 ] && failures+=("e2e $(basename "$script"): ${totals#* }")
      [ "$status" -ne 0 ] && [ "${totals#* }" -eq 0 ] && count "e2e $(basename "$script") exit status $status" 1
    else
      echo "$out" | tail -20
      count "e2e $(basename "$script") (did not finish, status $status)" 1
    fi
  done
fi

"${WINE%64}server" -k >/dev/null 2>&1 || wineserver -k >/dev/null 2>&1
rm -rf "$WINEPREFIX" "$SCRATCH"

log "done"
for f in "${failures[@]}"; do echo "FAILED: $f"; done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
