# Shared by the terminal end-to-end scripts: tmux on a private socket, the
# PASS/FAIL counters and the screen helpers. Sourced, not run.
#
# Needs: EXE (the program to run, absolute). Provides: WORK (a scratch folder
# removed at exit), start NAME WIDTH HEIGHT COMMAND..., screen, keys, text, has,
# wait_for, wait_exit, row_of, col_of, check, finish.

SOCKET=tw-e2e-$$
WORK=$(mktemp -d /tmp/tw-e2e.XXXXXX)
TMUX_CMD=(tmux -L "$SOCKET" -f /dev/null)
cleanup() {
  "${TMUX_CMD[@]}" kill-server >/dev/null 2>&1
  rm -f "${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/$SOCKET"
  rm -rf "$WORK"
}
trap cleanup EXIT

passed=0
failed=0
check() {  # check NAME STATUS
  if [ "$2" -eq 0 ]; then
    echo "PASS: $1"; passed=$((passed + 1))
  else
    echo "FAIL: $1"; failed=$((failed + 1))
    echo "---- screen ----"; screen; echo "----------------"
  fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

SESSION=""
screen() { "${TMUX_CMD[@]}" capture-pane -p -t "$SESSION" 2>/dev/null; }
coloured() { "${TMUX_CMD[@]}" capture-pane -e -p -t "$SESSION" 2>/dev/null; }
keys() { "${TMUX_CMD[@]}" send-keys -t "$SESSION" "$@"; sleep 0.3; }
text() { "${TMUX_CMD[@]}" send-keys -t "$SESSION" -l "$1"; sleep 0.3; }
has() { screen | grep -qF -- "$1"; }
wait_for() {  # wait_for TEXT [SECONDS]: until the screen shows TEXT
  local limit=$(( ${2:-15} * 10 ))
  for ((i = 0; i < limit; i++)); do has "$1" && return 0; sleep 0.1; done
  return 1
}
wait_exit() {  # wait_exit: the program's exit status, or "none" after 15 s
  for ((i = 0; i < 150; i++)); do
    [ -s "$WORK/$SESSION.status" ] && { cat "$WORK/$SESSION.status"; return; }
    sleep 0.1
  done
  echo none
}
row_of() { screen | grep -nF -- "$1" | head -1 | cut -d: -f1; }  # 1-based
col_of() { screen | grep -F -- "$1" | head -1 | awk -v t="$1" '{ print index($0, t) }'; }

# start NAME WIDTH HEIGHT [ARG...]: runs $EXE with the arguments in a new
# session on a fresh prefix; its standard error goes to $WORK/NAME.stderr and
# its exit status to $WORK/NAME.status.
start() {
  SESSION=$1
  local width=$2 height=$3
  shift 3
  local prefix="$WORK/$SESSION.prefix" args=""
  mkdir -p "$prefix"
  for a in "$@"; do args+=" $(printf '%q' "$a")"; done
  "${TMUX_CMD[@]}" new-session -d -s "$SESSION" -x "$width" -y "$height" \
    "env LANG=C.UTF-8 TERM=tmux-256color TARNWICK_PREFIX='$prefix' '$EXE'$args 2>'$WORK/$SESSION.stderr'; \
     echo \$? >'$WORK/$SESSION.status'; sleep 600"
}
