#!/usr/bin/env bash
# A registry file written by the posix backend is a REGEDIT4 file that Wine's
# regedit imports: every value (text with spaces, backslashes and quotes, the
# default value, nested keys, dword, binary, expandable and multi-strings)
# reads back through the win32 backend with its type and bytes.
#
# Environment: NATIVE_BUILD and WIN64_BUILD (build folders), WINEPREFIX (an
# initialised prefix), optionally WINE (default /usr/lib/wine/wine64).
# Prints "PASS name" or "FAIL name: reason"; exits non-zero on a FAIL.
set -uo pipefail

: "${NATIVE_BUILD:?NATIVE_BUILD names the native build folder}"
: "${WIN64_BUILD:?WIN64_BUILD names the win64 build folder}"
: "${WINEPREFIX:?WINEPREFIX names the Wine prefix}"
export WINEPREFIX
export WINEDEBUG=-all
WINE=${WINE:-/usr/lib/wine/wine64}
WRITER=$NATIVE_BUILD/tests/interop/tw_regwrite
READER=$WIN64_BUILD/tests/tw_contract_tests.exe
NAME=registry_regedit
TOP='HKEY_LOCAL_MACHINE\SOFTWARE\TarnwickInterop'

fail() { echo "FAIL $NAME: $1"; exit 1; }

for tool in "$WRITER" "$READER"; do
  [ -f "$tool" ] || fail "$tool is missing (build tw_regwrite natively and tw_contract_tests for win64)"
done

WORK=$(mktemp -d /tmp/tw-reg-interop.XXXXXX)
trap '"$WINE" reg delete "$TOP" /f >/dev/null 2>&1; rm -rf "$WORK"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }

"$WRITER" "$WORK/system.reg" "$WORK/expect.txt" || fail "tw_regwrite could not write the file"
head -n 1 "$WORK/system.reg" | cmp -s - <(printf 'REGEDIT4\r\n') || fail "the file does not start with REGEDIT4 CRLF"

"$WINE" reg delete "$TOP" /f >/dev/null 2>&1
"$WINE" regedit /S "$(winpath "$WORK/system.reg")" >"$WORK/regedit.log" 2>&1 ||
  fail "regedit /S exited with $?: $(tr -d '\r' <"$WORK/regedit.log" | head -n 3)"

TW_REGEDIT_EXPECT=$(winpath "$WORK/expect.txt") \
  "$WINE" "$READER" --gtest_filter='RegistryInterop.*' >"$WORK/read.log" 2>&1
status=$?
tr -d '\r' <"$WORK/read.log" >"$WORK/read.txt"
if [ $status -ne 0 ]; then
  fail "values differ after import: $(grep -E 'Failure|Which is|trace:|registry_interop' "$WORK/read.txt" | head -n 12 | tr '\n' ' ')"
fi
grep -q '^\[  PASSED  \] 1 test' "$WORK/read.txt" || fail "the read-back did not run: $(tail -n 3 "$WORK/read.txt" | tr '\n' ' ')"
grep -q 'SKIPPED' "$WORK/read.txt" && fail "the read-back was skipped"
echo "PASS $NAME ($(wc -l <"$WORK/expect.txt") values)"
