#!/usr/bin/env bash
# The terminal host's message boxes and dialogs as a person meets them, through
# tw_terminal_probe in tmux: each kind of box with its icon mark, buttons and
# keys (Escape never answers a Yes/No box), a box on a terminal too small for
# its text, and the full-screen coloured backdrop behind a centred cyan dialog
# and a scrolling licence field.
#
#   NATIVE_BUILD=build/native tests/e2e/terminal_boxes_and_dialogs.sh
#
# Prints one PASS or FAIL line per check and "N passed, N failed"; the exit
# status is non-zero when a check failed.
set -uo pipefail

BUILD=${NATIVE_BUILD:-build/native}
EXE=$BUILD/tests/e2e/tw_terminal_probe
if [ ! -x "$EXE" ] || ! command -v tmux >/dev/null; then
  echo "FAIL: needs tmux and the probe at $EXE (set NATIVE_BUILD to the native build folder)"
  echo "0 passed, 1 failed"
  exit 1
fi
EXE=$(cd "$(dirname "$EXE")" && pwd)/$(basename "$EXE")
source "$(dirname "$0")/terminal_common.bash"

answer() {  # answer: what the probe reported once it ended
  [ "$(wait_exit)" = 0 ] && cat "$WORK/$SESSION.stderr"
}

# ---- boxes: type, caption, text; the keys pressed; the answer expected
n=0
box() {  # box NAME TYPE CAPTION TEXT EXPECT-ON-SCREEN EXPECTED-ANSWER KEY...
  local name=$1 type=$2 caption=$3 body=$4 shown=$5 expected=$6
  shift 6
  n=$((n + 1))
  start "box$n" 80 25 box "$type" "$caption" "$body"
  wait_for "$caption" 5
  has "$shown"; check "$name: shows $shown" $?
  for k in "$@"; do keys "$k"; done
  got=$(answer)
  [ "$got" = "answer $expected" ]; check "$name: answers $expected (got: ${got:-nothing})" $?
}

box "OK box" 0x30 ERROR "Can't initialize Component Object Module - aborting installation" \
  "(!) Can't initialize Component Object Module - aborting installation" 1 Escape
box "OK box" 0x10 ERROR "Setup file is corrupted!" "[>OK<]" 1 Enter
box "OK box, information" 0x40 ERROR "Cannot create D:\\x" "(i) Cannot create D:\\x" 1 Space
box "OK/Cancel box" 0x21 Confirm "Abort the installation?" "[>OK<]  [ Cancel ]" 2 Escape
box "OK/Cancel box" 0x21 Confirm "Abort the installation?" "(?)" 2 Right Enter
box "Yes/No box" 0x24 Question "Start Tarnwick now?" "[>Yes<]  [ No ]" 6 Enter
box "Yes/No box" 0x24 Question "Start Tarnwick now?" "(?) Start Tarnwick now?" 7 n
box "Yes/No box" 0x24 Question "Start Tarnwick now?" "Start Tarnwick now?" 7 M-n
box "Yes/No box, second button first" 0x124 Question "Remove it?" "[ Yes ]  [>No<]" 7 Enter

# Escape on a Yes/No box does nothing: the box stays until a button answers.
start ynesc 80 25 box 0x24 Question "Line one\nLine two"
wait_for "Line two" 5
has "(?) Line one" && [ "$(row_of "Line two")" -eq $(( $(row_of "Line one") + 1 )) ]
check "Yes/No box: a line break in the text starts a new line" $?
keys Escape
has "[>Yes<]  [ No ]" && [ ! -s "$WORK/ynesc.status" ]
check "Yes/No box: Escape leaves the box up" $?
keys y
[ "$(answer)" = "answer 6" ]; check "Yes/No box: y answers Yes after all" $?

# A text longer than a small terminal: the buttons stay on screen.
long=$(printf 'word %.0s' $(seq 1 200))
start small 30 8 box 0x30 ERROR "$long"
wait_for "ERROR" 5
[ "$(row_of "[>OK<]")" = 7 ]; check "30x8 terminal: the OK button stays on the last lines" $?
keys Enter
[ "$(answer)" = "answer 1" ]; check "30x8 terminal: Enter still answers" $?

# ---- dialogs over the full-screen backdrop
start dialogs 80 25 dialogs
wait_for "Install Tarnwick 2.11b" 5
check "welcome: its caption" $?
# The backdrop's texts where the splash puts them: x = cx/20, y = cy/20 and cy/8
# pixels, at 8 x 16 pixels a cell.
[ "$(row_of "ZO Daruzura")" = 2 ] && [ "$(col_of "ZO Daruzura")" = 5 ] \
  && [ "$(row_of "Keeping your clocks")" = 4 ]
check "splash: texts at the rows and columns their pixels give" $?
coloured | grep -q $'\e\[[0-9;]*44m'
check "splash: a blue backdrop" $?
coloured | grep -F "time zone utility" | grep -q $'\e\[30m\e\[46m\|\e\[30;46m'
check "welcome: black text on cyan" $?
has "This will install Tarnwick, ZO" && has "Windows to your system."
check "welcome: the text wraps inside its field" $?
has "[>OK<]" && has "[ Cancel ]"; check "welcome: the focus on OK" $?
keys Tab
has "[ OK ]" && has "[>Cancel<]"; check "welcome: Tab moves to Cancel" $?
keys M-o
wait_for "Paragraph 1:" 5; check "welcome: Alt+O answers OK; the licence opens with its first line" $?
has "[>OK<]"; check "licence: the focus on OK, the default button" $?
keys PageDown
has "Paragraph 5:" && ! has "Paragraph 1:"; check "licence: Page Down scrolls the text" $?
keys Tab Tab Up Up Up Up
has "Paragraph 4:"; check "licence: Up scrolls back once the text field has the focus" $?
keys Escape
got=$(answer)
[ "$got" = $'welcome 1\nlicence 2' ]; check "welcome ends with IDOK, licence with IDCANCEL on Escape" $?

finish
