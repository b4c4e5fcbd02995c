# A virtual X display with a window manager for the checks that run real programs, and waits on
# what happens (a window mapped, a log line, a process gone) instead of fixed sleeps.
# Source it from a POSIX sh script:
#
#   . "$SRC/tests/common/xsession.sh"
#   xs_start 1024x768 || exit 1       # sets DISPLAY; Xvfb and evilwm both verified running
#   ...
#   xs_stop                           # also run by xs_cleanup, which xs_start traps on exit
#
# xs_start sets an EXIT trap that runs xs_cleanup, replacing any trap set before it: a script
# with clean-up of its own sets its trap after xs_start and calls xs_cleanup from it.
#
# A check script that runs a program under the session begins with xs_session instead, and
# xs_start then keeps its trap:
#
#   xs_session my_check log           # WORK made; APID (and XS_PIDS) killed on leaving
#   fail() { xs_failed "$@"; }        # "my_check: FAILED: ..." and the tail of $WORK/log
#   xs_fresh_game "$GAME" "$BIN"      # $WORK/game: the game folder with the program in it
#
# Every wait has a generous upper bound (XS_TIMEOUT seconds, default 60) so that a loaded
# machine is slower but never wrong; a wait that runs out fails with its reason.
# A missing tool is a failure, not a skip: scripts/setup installs them all.

XS_TIMEOUT=${XS_TIMEOUT:-60}
# ImageMagick's worker threads, one per core, wait on each other for every picture looked at: on
# a loaded machine a look took seconds, and the program under test ran on meanwhile.
MAGICK_THREAD_LIMIT=1
export MAGICK_THREAD_LIMIT
XS_DIR=""
XS_XPID=""
XS_WMPID=""

xs_fail() {
  echo "xsession: FAILED: $*" >&2
  return 1
}

# Polls the command "$@" every 50 ms until it succeeds or $XS_TIMEOUT seconds have passed (by
# the clock, however long each try takes).
xs_until() {
  _deadline=$(($(date +%s) + XS_TIMEOUT))
  while ! "$@" 2>/dev/null; do
    [ "$(date +%s)" -ge "$_deadline" ] && return 1
    sleep 0.05
  done
  return 0
}

xs_need_tools() {
  for _t in "$@"; do
    command -v "$_t" >/dev/null 2>&1 || { xs_fail "$_t is not installed (run scripts/setup)"; return 1; }
  done
}

_xs_display_ready() { [ -s "$XS_DIR/display" ]; }
# The number can come before the server takes connections: ask it something.
_xs_display_answers() { xprop -root -display "$DISPLAY" _NET_SUPPORTED >/dev/null; }
_xs_wm_ready() {
  kill -0 "$XS_WMPID" && xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

# xs_start [WIDTHxHEIGHT]: Xvfb on a free display (it tells the number when it is ready), then
# evilwm with a font that the base X fonts provide. Both must be really running. Another check
# starting its display at the same moment can take the same number: one more try then.
xs_start() {
  xs_need_tools Xvfb evilwm xprop xwininfo xdotool || return 1
  _xs_start_once "$@" && return 0
  xs_cleanup
  echo "xsession: trying again on another display" >&2
  _xs_start_once "$@"
}

_xs_start_once() {
  XS_DIR=$(mktemp -d)
  if [ -n "${XS_NAME:-}" ]; then trap xs_finish EXIT; else trap xs_cleanup EXIT INT TERM; fi
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$XS_DIR/display" \
    >"$XS_DIR/xvfb.log" 2>&1 &
  XS_XPID=$!
  xs_until _xs_display_ready || { cat "$XS_DIR/xvfb.log" >&2; xs_fail "Xvfb did not start"; return 1; }
  DISPLAY=:$(cat "$XS_DIR/display")
  export DISPLAY
  xs_until _xs_display_answers || { cat "$XS_DIR/xvfb.log" >&2; xs_fail "Xvfb on $DISPLAY does not answer"; return 1; }
  # XS_WM replaces the window manager's command (to see the check fail when it cannot run).
  ${XS_WM:-evilwm -fn fixed} >"$XS_DIR/wm.log" 2>&1 &
  XS_WMPID=$!
  if ! xs_until _xs_wm_ready; then
    sed 's/^/  evilwm: /' "$XS_DIR/wm.log" >&2
    xs_fail "the window manager is not running on $DISPLAY"
    return 1
  fi
  return 0
}

# True while both the display and the window manager still run.
xs_alive() {
  kill -0 "$XS_XPID" 2>/dev/null || { xs_fail "Xvfb has exited"; return 1; }
  kill -0 "$XS_WMPID" 2>/dev/null || { xs_fail "the window manager has exited"; return 1; }
}

# xs_wait_window PID: waits for a visible window of that process; its id in XS_WINDOW. Each
# look is a search of its own: a window that vanishes while the tree is walked makes xdotool
# give up that search.
_xs_window_of() {
  XS_WINDOW=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n 1)
  [ -n "$XS_WINDOW" ]
}
xs_wait_window() {
  xs_until _xs_window_of "$1" || { xs_fail "no window of process $1 appeared"; return 1; }
}

# xs_wait_tree PATTERN: waits for a window whose line in the window tree matches (for windows
# that carry no process id, such as message boxes: e.g. '"ZARN III": ').
_xs_in_tree() { xwininfo -root -tree | grep -q -E "$1"; }
xs_wait_tree() {
  xs_until _xs_in_tree "$1" || { xs_fail "no window /$1/ appeared"; return 1; }
}

# xs_wait_log FILE PATTERN: waits for a line matching the extended regular expression.
xs_wait_log() {
  xs_until grep -q -E "$2" "$1" || { xs_fail "no line /$2/ in $1"; return 1; }
}

# xs_wait_gone PID: waits for the process to end; its status in XS_STATUS (only for a child of
# the calling shell).
_xs_gone() { ! kill -0 "$1"; }
xs_wait_gone() {
  xs_until _xs_gone "$1" || { xs_fail "process $1 did not end"; return 1; }
  wait "$1" 2>/dev/null
  XS_STATUS=$?
  return 0
}

# Ends a process: TERM, then KILL if it is still there after a bounded wait.
xs_kill() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || return 0
  _saved=$XS_TIMEOUT
  XS_TIMEOUT=3
  xs_until _xs_gone "$1" || kill -9 "$1" 2>/dev/null
  XS_TIMEOUT=$_saved
  wait "$1" 2>/dev/null
  return 0
}

xs_stop() {
  xs_kill "$XS_WMPID"
  xs_kill "$XS_XPID"
  XS_WMPID=""
  XS_XPID=""
}

xs_cleanup() {
  xs_stop
  [ -n "$XS_DIR" ] && rm -rf "$XS_DIR"
  XS_DIR=""
}

# xs_session NAME [[LABEL:]LOG ...]: the work folder WORK of a check script named NAME; LOGs are
# files in it, shown by xs_failed with their LABEL ("program" when none is given). Leaving the
# script, however it leaves, ends the program in APID and those in XS_PIDS (the program first:
# it must not lose its display while it runs), then the X session, and removes WORK.
xs_session() {
  XS_NAME=$1
  shift
  XS_LOGS=$*
  APID=""
  XS_PIDS=""
  WORK=$(mktemp -d) || { echo "$XS_NAME: FAILED: cannot make a work folder"; exit 1; }
  trap xs_finish EXIT
  trap 'exit 1' INT TERM
}

xs_finish() {
  xs_kill "$APID"
  for _p in $XS_PIDS; do xs_kill "$_p"; done
  xs_cleanup
  [ -n "${WORK:-}" ] && rm -rf "$WORK"
}

# xs_failed MESSAGE: the check's failure with the last XS_LOG_LINES (40) lines of each log, after
# whatever the function named by XS_ON_FAIL keeps (pictures); exits 1.
xs_failed() {
  echo "$XS_NAME: FAILED: $*"
  [ -n "${XS_ON_FAIL:-}" ] && "$XS_ON_FAIL"
  for _log in $XS_LOGS; do
    case $_log in
      *:*) _label=${_log%%:*} _log=${_log#*:} ;;
      *) _label=program ;;
    esac
    [ -f "$WORK/$_log" ] && tail -n "${XS_LOG_LINES:-40}" "$WORK/$_log" | sed "s/^/  $_label: /"
  done
  exit 1
}

# xs_fresh_game GAME PROGRAM [FOLDER]: a fresh copy of the game folder in $WORK/FOLDER (game),
# with the program beside its data and no settings file.
xs_fresh_game() {
  _to="$WORK/${3:-game}"
  rm -rf "$_to"
  cp -r "$1" "$_to" || xs_failed "cannot copy the game folder"
  rm -f "$_to/zarn.ini"
  cp "$2" "$_to/zarn" || xs_failed "cannot copy the program"
}
