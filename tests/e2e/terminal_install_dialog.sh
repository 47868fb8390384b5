#!/usr/bin/env bash
# The native installer as a person uses it in a terminal: tmux runs it on a
# fresh prefix, keys go in with send-keys and the screen comes back with
# capture-pane. Checks the install dialog at 80x25 and 120x40, typing into the
# folder box, the folder browser, resizing down to a tiny terminal and back,
# and that Escape ends the program with status 0.
#
#   NATIVE_BUILD=build/native tests/e2e/terminal_install_dialog.sh
#
# Prints one PASS or FAIL line per check and "N passed, N failed"; the exit
# status is non-zero when a check failed. SHOW_SCREENS=1 prints each screen.
set -uo pipefail

BUILD=${NATIVE_BUILD:-build/native}
EXE=$BUILD/src/TarnwickSetup
if [ ! -x "$EXE" ] || ! command -v tmux >/dev/null; then
  echo "FAIL: needs tmux and the program at $EXE (set NATIVE_BUILD to the native build folder)"
  echo "0 passed, 1 failed"
  exit 1
fi
EXE=$(cd "$(dirname "$EXE")" && pwd)/$(basename "$EXE")
source "$(dirname "$0")/terminal_common.bash"

CAPTION="ZO Daruzura - Install Tarnwick 2.11b"

for size in 80x25 120x40; do
  W=${size%x*}
  H=${size#*x}
  start "s$size" "$W" "$H"
  wait_for "$CAPTION"
  check "$size: the caption \"$CAPTION\" in the title bar" $?
  [ "${SHOW_SCREENS:-0}" = 1 ] && screen
  has "Target Directory:"; check "$size: \"Target Directory:\"" $?
  has "[C:\\Program Files\\Tarnwick "; check "$size: the folder C:\\Program Files\\Tarnwick in the edit box" $?
  has "To install Tarnwick, at least"; check "$size: status line 1" $?
  has "500 Kb of free disk space is required."; check "$size: status line 2" $?
  has "[ Browse ]" && has "[>Install<]" && has "[ Cancel ]"
  check "$size: the buttons, Install marked as the one Enter presses" $?

  # The 66 x 15 box (64 x 13 cells inside) is centred; the status line lies
  # two lines below the edit box, both two columns into the client area.
  top=$(row_of "$CAPTION"); left=$(col_of "┌")
  [ "$top" -eq $(( (H - 15) / 2 + 1 )) ] && [ "$left" -eq $(( (W - 66) / 2 + 1 )) ]
  check "$size: the dialog is centred (row $top, column $left)" $?
  [ "$(row_of "500 Kb")" -eq $(( top + 8 )) ] && [ "$(row_of "[C:\\Program")" -eq $(( top + 4 )) ]
  check "$size: controls sit where their dialog units put them" $?

  # Typing goes into the focused edit box at the end of its text.
  text '\Beta'
  has "[C:\\Program Files\\Tarnwick\\Beta "; check "$size: typing appends to the folder" $?
  keys BSpace BSpace BSpace BSpace BSpace
  has "[C:\\Program Files\\Tarnwick "; check "$size: Backspace removes it again" $?
  keys Home Delete Delete Delete
  text 'D:\'
  has "[D:\\Program Files\\Tarnwick "; check "$size: Home, Delete and typing edit the start" $?

  # Tab moves the focus: Browse, then Install, then Cancel; Enter follows it.
  keys Tab
  has "[>Browse<]" && has "[ Install ]"; check "$size: Tab moves to Browse, which Enter would press" $?
  keys Tab Tab Tab
  has "[>Install<]"; check "$size: Tab wraps round to the edit box again" $?

  if [ "$size" = 80x25 ]; then
    # Alt+B opens the folder browser; Escape leaves the folder as it was.
    keys M-b
    wait_for "Tarnwick Installation Folder" 5; check "$size: Alt+B opens the folder browser" $?
    keys Escape
    has "[D:\\Program Files\\Tarnwick " && ! has "Tarnwick Installation Folder"
    check "$size: Escape cancels the browser and changes nothing" $?
    # Choosing C:\Program Files (typed in another case) gives C:\Program Files\Tarnwick.
    keys M-b
    text 'c:\program files'
    keys Enter
    has "[C:\\Program Files\\Tarnwick "; check "$size: browsing to c:\\program files gives C:\\Program Files\\Tarnwick" $?
    keys M-b
    text 'C:\No Such Folder'
    keys Enter
    has "There is no folder C:\\No Such Folder."; check "$size: the browser refuses a folder that does not exist" $?
    keys Escape

    # The window survives resizing, even to a terminal too small for it.
    "${TMUX_CMD[@]}" resize-window -t "$SESSION" -x 100 -y 30; sleep 0.5
    top=$(row_of "$CAPTION"); left=$(col_of "┌")
    [ "$top" -eq 8 ] && [ "$left" -eq 18 ]; check "resize to 100x30: the dialog is centred again" $?
    "${TMUX_CMD[@]}" resize-window -t "$SESSION" -x 20 -y 5; sleep 0.5
    "${TMUX_CMD[@]}" resize-window -t "$SESSION" -x 1 -y 1; sleep 0.5
    "${TMUX_CMD[@]}" resize-window -t "$SESSION" -x 80 -y 25; sleep 0.5
    [ ! -s "$WORK/$SESSION.status" ] && wait_for "$CAPTION" 5 && has "500 Kb of free disk space is required."
    check "resize to 20x5, 1x1 and back to 80x25: still running, whole dialog again" $?
  fi

  # Install's handler does nothing yet: the dialog stays. Escape ends it.
  keys Escape
  status=$(wait_exit)
  [ "$status" = 0 ]; check "$size: Escape ends the program with status 0 (got $status)" $?
  ! grep -qE "AddressSanitizer|runtime error|LeakSanitizer" "$WORK/s$size.stderr"
  check "$size: no sanitizer report" $?
  "${TMUX_CMD[@]}" kill-session -t "$SESSION" >/dev/null 2>&1
done

# Not a terminal: a clear message and status 1, the terminal untouched.
out=$(TARNWICK_PREFIX="$WORK/pipe.prefix" "$EXE" </dev/null 2>&1)
status=$?
[ "$status" -eq 1 ] && echo "$out" | grep -q "must be a terminal"
check "without a terminal: a clear message and status 1 (got $status: $out)" $?

finish
