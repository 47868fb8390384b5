#!/usr/bin/env bash
# A link written by the posix backend loads in Wine with the same path,
# description, working directory and icon location as a link Wine itself wrote
# with the same setters; both files carry show command 1 (neither lnkinfo nor
# Wine 8 reads that field back, so it is read from the bytes).
#
# Environment: NATIVE_BUILD and WIN64_BUILD (build folders), WINEPREFIX, and
# optionally WINE (default /usr/lib/wine/wine64).
# Prints "PASS name" or "FAIL name: reason" per check; exits non-zero on any FAIL.
set -uo pipefail

: "${NATIVE_BUILD:?NATIVE_BUILD names the native build folder}"
: "${WIN64_BUILD:?WIN64_BUILD names the win64 build folder}"
: "${WINEPREFIX:?WINEPREFIX names the Wine prefix}"
export WINEPREFIX
export WINEDEBUG=-all
WINE=${WINE:-/usr/lib/wine/wine64}
WRITER=$NATIVE_BUILD/tests/interop/tw_lnk_write_posix
PROBE=$WIN64_BUILD/tests/interop/tw_lnk_probe.exe

failures=0
pass() { echo "PASS $1"; }
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

for tool in "$WRITER" "$PROBE"; do
  [ -f "$tool" ] || { echo "FAIL setup: $tool is missing (build the interop targets)"; exit 1; }
done

WORK=$(mktemp -d /tmp/tw-lnk-interop.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
PREFIX=$WORK/prefix
mkdir -p "$WORK/wine"

# The host path as Wine sees it: the whole file system is Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Show command: u32 at 0x3C.
showcmd() { od -An -tu4 -j60 -N4 "$1" | tr -d ' '; }

probe() { "$WINE" "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }

# name|target|description|working directory (icon = target)
CASES=(
  'program|C:\Program Files\Tarnwick\Tarnwick.exe|Tarnwick|C:\Program Files\Tarnwick'
  'help|C:\Program Files\Tarnwick\Tarnwick.hlp|Tarnwick Help|C:\Program Files\Tarnwick'
  'other drive|D:\Apps\Tarn wick\Uninstall.exe|Uninstall Tarnwick|D:\Apps\Tarn wick'
)

i=0
for row in "${CASES[@]}"; do
  IFS='|' read -r name target description workdir <<<"$row"
  i=$((i + 1))
  posix_lnk=$PREFIX/drive_c/links/link$i.lnk
  wine_lnk=$WORK/wine/link$i.lnk

  mkdir -p "$PREFIX/drive_c/links"
  if ! out=$("$WRITER" "$PREFIX" "C:\\links\\link$i.lnk" "$target" "$description" "$workdir" "$target" 2>&1); then
    fail "$name: posix writes" "$out"; continue
  fi
  [ -f "$posix_lnk" ] || { fail "$name: posix writes" "no file at $posix_lnk"; continue; }
  pass "$name: posix writes"

  if ! out=$(probe write "$(winpath "$wine_lnk")" "$target" "$description" "$workdir" "$target"); then
    fail "$name: wine writes" "$out"; continue
  fi
  pass "$name: wine writes"

  if ! from_posix=$(probe read "$(winpath "$posix_lnk")"); then
    fail "$name: wine loads the posix link" "$from_posix"; continue
  fi
  pass "$name: wine loads the posix link"
  from_wine=$(probe read "$(winpath "$wine_lnk")") || { fail "$name: wine loads its own link" "$from_wine"; continue; }

  expected=$(printf 'path=%s\ndescription=%s\nworkdir=%s\nicon=%s\nindex=0' \
    "$target" "$description" "$workdir" "$target")
  if [ "$from_posix" == "$from_wine" ] && [ "$from_posix" == "$expected" ]; then
    pass "$name: same properties as wine's own link"
  else
    fail "$name: same properties as wine's own link" \
      "posix gives [${from_posix//$'\n'/; }], wine's [${from_wine//$'\n'/; }], expected [${expected//$'\n'/; }]"
  fi

  p=$(showcmd "$posix_lnk"); w=$(showcmd "$wine_lnk")
  if [ "$p" == 1 ] && [ "$w" == 1 ]; then
    pass "$name: show command 1 in both files"
  else
    fail "$name: show command 1 in both files" "posix $p, wine $w"
  fi

  # liblnk sees the same four properties in both files too.
  fields() { lnkinfo "$1" | grep -E '^\s(Local path|Description|Working directory|Icon location)\s' ; }
  if [ "$(fields "$posix_lnk")" == "$(fields "$wine_lnk")" ] && [ -n "$(fields "$posix_lnk")" ]; then
    pass "$name: lnkinfo reads both alike"
  else
    fail "$name: lnkinfo reads both alike" "$(diff <(fields "$posix_lnk") <(fields "$wine_lnk") | tr '\n' ' ')"
  fi
done

[ "$failures" -eq 0 ]
