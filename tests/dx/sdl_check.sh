#!/bin/sh
# The SDL back end for real, under a virtual 640 x 400 X display: the display component shows a
# 320 x 200 picture full screen, the screenshot must be that picture doubled, and a press at
# the bottom-right screen pixel (639, 399) must reach the game as picture pixel (319, 199).
#
#   tests/dx/sdl_check.sh <path to zarn_sdlcheck>
#
# Exit 0: passed; 1: failed (with the reason).
set -u

BIN=${1:?usage: sdl_check.sh <path to zarn_sdlcheck>}
. "$(dirname "$0")/../common/xsession.sh"
xs_need_tools import compare || exit 1
xs_session sdl_check log
fail() { xs_failed "$@"; }

xs_start 640x400 || fail "no X session"

ZARN_PLATFORM=sdl "$BIN" "$WORK" 60 >"$WORK/log" 2>&1 &
APID=$!
xs_wait_log "$WORK/log" '^ready' || fail "the picture never came up"
grep -q '^ready fullscreen 320x200' "$WORK/log" || fail "not full screen at 320 x 200"
xs_alive || fail "the X session did not survive"

# The window manager may still be moving the window into place: wait until the screen shows
# the doubled picture. A renderer may widen 6-bit green to 254 instead of 255: a small fuzz,
# never a wrong pixel.
screen_matches() {
  import -window root "$WORK/shot.png" || return 1
  DIFF=$(compare -metric AE -fuzz 2% "$WORK/expected.ppm" "$WORK/shot.png" null: 2>&1)
  [ "$DIFF" = "0" ]
}
xs_until screen_matches || fail "the screen differs from the doubled picture in ${DIFF:-?} pixels"

xdotool mousemove 639 399 click 1 || fail "xdotool could not press"
xs_wait_log "$WORK/log" '^pointer' || fail "the press never arrived"
grep -q '^pointer 319 199$' "$WORK/log" || fail "the press arrived as $(grep '^pointer' "$WORK/log")"
xs_wait_gone "$APID" || fail "the program did not end after the press"
APID=""
echo "sdl_check: passed (picture doubled exactly, press (639, 399) -> (319, 199))"
exit 0
