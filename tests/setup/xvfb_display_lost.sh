#!/bin/sh
# The installer and the game each end, saying why, when their X server goes away under them
# (the window manager first, then the server, as a session ends): gone within a bound, status 1.
#
#   xvfb_display_lost.sh <zarn3set> <zarn> <game folder>
#
# Exit 0: passed; 1: failed.
set -u
usage="usage: xvfb_display_lost.sh <zarn3set> <zarn> <game folder>"
SETUP=${1:?$usage}
GAME_BIN=${2:?$usage}
GAME=${3:?$usage}
SRC=$(cd "$(dirname "$0")/../.." && pwd)
. "$SRC/tests/common/xsession.sh"

WORK=$(mktemp -d)
APID=""
finish() {
  xs_kill "$APID"
  xs_cleanup
  rm -rf "$WORK"
}
trap finish EXIT INT TERM

fail() {
  echo "xvfb_display_lost: FAILED: $*"
  sed 's/^/  program: /' "$WORK/log"
  exit 1
}

# lost NAME FOLDER PROGRAM: runs it on a fresh display, takes the display away, and checks
# that it ended.
lost() {
  xs_start 640x480 || exit 1
  trap finish EXIT INT TERM  # xs_start installed its own; finish calls it too
  (cd "$2" && exec env HOME="$WORK/home" ZARN_PLATFORM=sdl SDL_AUDIODRIVER=dummy "$3") \
    >"$WORK/log" 2>&1 &
  APID=$!
  xs_wait_window "$APID" || fail "no window of the $1"
  xs_stop
  XS_TIMEOUT=10 xs_wait_gone "$APID" || fail "the $1 did not end when its display went away"
  APID=""
  [ "$XS_STATUS" = 1 ] || fail "the $1 ended with $XS_STATUS, not 1"
  grep -q "the connection to the display was lost" "$WORK/log" || fail "the $1 did not say why it ended"
  xs_cleanup
  echo "xvfb_display_lost: the $1 ended: passed"
}

mkdir -p "$WORK/home" "$WORK/media"
cp "$SETUP" "$WORK/media/zarn3set" || fail "cannot copy the installer"
lost installer "$WORK/media" ./zarn3set
cp -r "$GAME" "$WORK/game" && cp "$GAME_BIN" "$WORK/game/zarn" || fail "cannot copy the game"
lost game "$WORK/game" ./zarn
exit 0
