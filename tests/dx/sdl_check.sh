#!/bin/sh
# The SDL back end for real, under a virtual 640 x 400 X display: the display component shows a
# 320 x 200 picture full screen, the screenshot must be that picture doubled, and a press at
# the bottom-right screen pixel (639, 399) must reach the game as picture pixel (319, 199).
#
#   tests/dx/sdl_check.sh <path to zarn_sdlcheck>
#
# Full screen needs a window manager that honours the desktop's full-screen request (evilwm or
# matchbox-window-manager is started when installed): without one X never resizes the window.
#
# Exit 0: passed; 1: failed; 77: skipped (a tool is missing).
set -u

BIN=${1:?usage: sdl_check.sh <path to zarn_sdlcheck>}
for tool in Xvfb xdotool import compare; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "sdl_check: skipped, $tool is not installed"
    exit 77
  fi
done

WM=""
for wm in evilwm matchbox-window-manager; do
  if command -v "$wm" >/dev/null 2>&1; then
    WM=$wm
    break
  fi
done
if [ -z "$WM" ]; then
  echo "sdl_check: skipped, no window manager (evilwm or matchbox-window-manager) is installed"
  exit 77
fi

WORK=$(mktemp -d)
XPID=""
WMPID=""
APID=""
# Stops one process of ours: politely, then for good.
stop() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || return 0
  n=0
  while kill -0 "$1" 2>/dev/null && [ "$n" -lt 30 ]; do
    sleep 0.1
    n=$((n + 1))
  done
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
cleanup() {
  # The program first: it must not lose its display while it runs.
  stop "$APID"
  stop "$WMPID"
  stop "$XPID"
  rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

fail() {
  echo "sdl_check: FAILED: $*"
  [ -f "$WORK/log" ] && sed 's/^/  program: /' "$WORK/log"
  exit 1
}

# Wait up to $2 seconds for the pattern $1 in the program's log.
wait_for() {
  n=0
  while [ "$n" -lt "$(($2 * 10))" ]; do
    grep -q "$1" "$WORK/log" 2>/dev/null && return 0
    if [ -n "$APID" ] && ! kill -0 "$APID" 2>/dev/null; then
      grep -q "$1" "$WORK/log" 2>/dev/null && return 0
      return 1
    fi
    sleep 0.1
    n=$((n + 1))
  done
  return 1
}

# A free display number, written by the server itself.
Xvfb -displayfd 3 -screen 0 640x400x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XPID=$!
n=0
while [ ! -s "$WORK/display" ] && [ "$n" -lt 100 ]; do
  sleep 0.1
  n=$((n + 1))
done
[ -s "$WORK/display" ] || fail "the virtual X display did not start"
DISPLAY=":$(head -n 1 "$WORK/display")"
export DISPLAY
"$WM" >"$WORK/wm.log" 2>&1 &
WMPID=$!
sleep 0.5
ZARN_PLATFORM=sdl
export ZARN_PLATFORM

"$BIN" "$WORK" 30 >"$WORK/log" 2>&1 &
APID=$!
wait_for '^ready' 20 || fail "the picture never came up"
grep -q '^ready fullscreen 320x200' "$WORK/log" || fail "not full screen at 320 x 200"
sleep 0.5

import -window root "$WORK/shot.png" || fail "no screenshot"
# A renderer may widen 6-bit green to 254 instead of 255: a small fuzz, never a wrong pixel.
DIFF=$(compare -metric AE -fuzz 2% "$WORK/expected.ppm" "$WORK/shot.png" null: 2>&1)
[ "$DIFF" = "0" ] || fail "the screen differs from the doubled picture in $DIFF pixels"

xdotool mousemove 639 399 click 1 || fail "xdotool could not press"
wait_for '^pointer' 10 || fail "the press never arrived"
grep -q '^pointer 319 199$' "$WORK/log" || fail "the press arrived as $(grep '^pointer' "$WORK/log")"
wait "$APID"
APID=""
echo "sdl_check: passed (picture doubled exactly, press (639, 399) -> (319, 199))"
exit 0
