#!/bin/sh
# A network game between two real programs under one virtual X display with the SDL back end:
# a server and a client, each in a fresh copy of the game folder, on loopback. Both go through
# the lobby by clicks, the server chooses the map and its side, the client its side; once the
# game runs, the client sends its start vehicle (already selected) by a right click on its
# minimap to the cell beside the server's vehicle, in the server's view. The check then looks at
# the server's picture: the cells where the client's vehicle arrives must change from what the
# server showed before the order.
#
#   tests/shell/xvfb_net_check.sh <zarn> <game folder> <build folder>
#
# Exit 0: passed; 1: failed.
set -u

BIN=${1:?usage: xvfb_net_check.sh <zarn> <game folder> <build folder>}
GAME=${2:?usage}
BUILD=${3:?usage}
SRC=$(cd "$(dirname "$0")/../.." && pwd)
. "$SRC/tests/common/xsession.sh"
xs_need_tools import convert compare xdotool || exit 1

OUT="$BUILD/test_out"
mkdir -p "$OUT"
WORK=$(mktemp -d)
SPID=""
CPID=""
finish() {
  xs_kill "$CPID"
  xs_kill "$SPID"
  xs_cleanup
  rm -rf "$WORK"
}

fail() {
  echo "xvfb_net_check: FAILED: $*"
  [ -n "${SW:-}" ] && shot "$SW" server_last && cp "$WORK/server_last.png" "$OUT/xnet_server_last.png"
  [ -n "${CW:-}" ] && shot "$CW" client_last && cp "$WORK/client_last.png" "$OUT/xnet_client_last.png"
  for _who in server client; do
    [ -f "$WORK/$_who.log" ] && sed "s/^/  $_who: /" "$WORK/$_who.log" | tail -n 15
  done
  exit 1
}

xs_start 1400x900 || fail "no X session"
trap finish EXIT INT TERM

# A port of its own, so that another loopback test cannot be in the way.
PORT=$((20000 + $$ % 20000))
prepare() {
  cp -r "$GAME" "$WORK/$1" || fail "cannot copy the game folder"
  rm -f "$WORK/$1/save/"* 2>/dev/null
  cp "$BIN" "$WORK/$1/zarn" || fail "cannot copy the program"
  cat >"$WORK/$1/zarn.ini" <<EOF
[Options]
AsServer=$2
Server=127.0.0.1
PlayerName=$1
Partners=2
NetService=$PORT
GameSpeed=17
MusicEnable=0
SoundEnable=0
CrowEnable=0
EOF
}
prepare server 1
prepare client 0

# "-debug": a 640 x 400 window (the picture doubled); each window is moved apart so that
# clicks meant for one cannot land on the other.
launch() {
  (cd "$WORK/$1" && exec env ZARN_PLATFORM=sdl SDL_AUDIODRIVER=dummy ZARN_TRACE_NET=1 ./zarn -debug) \
    >"$WORK/$1.log" 2>&1 &
}
launch server
SPID=$!
xs_wait_window "$SPID" || fail "no server window"
SW=$XS_WINDOW
xdotool windowmove --sync "$SW" 0 0 2>/dev/null || xdotool windowmove "$SW" 0 0
launch client
CPID=$!
xs_wait_window "$CPID" || fail "no client window"
CW=$XS_WINDOW
xdotool windowmove --sync "$CW" 700 0 2>/dev/null || xdotool windowmove "$CW" 700 0

# In 320 x 200 coordinates of the game; button 3 is the right button.
press() { xdotool mousemove --window "$1" $(($2 * 2 + 1)) $(($3 * 2 + 1)) click "${4:-1}"; }

shot() { import -window "$1" "$WORK/$2.png" 2>/dev/null && convert "$WORK/$2.png" -sample 50% "$WORK/$2.png"; }
# The pixel colour of a shot at a point of the game's picture.
pixel() { convert "$WORK/$1.png" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null; }
# The main menu answers clicks once it is drawn: its sun (255,230,123) stands at 145,83.
menu_shown() { shot "$1" probe && [ "$(pixel probe 145 83)" = "srgb(255,230,123)" ]; }
xs_until menu_shown "$SW" || fail "the server shows no main menu"
xs_until menu_shown "$CW" || fail "the client shows no main menu"

# Main menu -> lobby -> (server) map choice with the first map and the first side.
# The network button until the main menu is gone (a click in the first frames can go
# unheard); after that each click's screen opens while the click is handled, so the next
# click meets it.
to_lobby() { press "$1" 242 114; ! menu_shown "$1"; }
xs_until to_lobby "$SW" || fail "the server does not leave the main menu for the lobby"
press "$SW" 70 180
press "$SW" 70 178
xs_wait_log "$WORK/server.log" '^net listening' || fail "the server does not listen"
xs_until to_lobby "$CW" || fail "the client does not leave the main menu for the lobby"
press "$CW" 70 180
xs_wait_log "$WORK/client.log" '^net sides [0-9]+ [0-9]+$' || fail "the client was offered no side"
set -- $(grep -E '^net sides' "$WORK/client.log" | tail -n 1)
press "$CW" "$3" "$4"
xs_wait_log "$WORK/client.log" '^net started ' || fail "the game did not start on the client"
xs_wait_log "$WORK/server.log" '^net view ' || fail "the server placed no vehicle of its own"

set -- $(grep -E '^net vehicle 1 ' "$WORK/server.log")
SX=$5 SY=$6 MW=$8 MH=$9
set -- $(grep -E '^net view ' "$WORK/server.log")
VX=$3 VY=$4
set -- $(grep -E '^net vehicle 2 ' "$WORK/server.log")
[ $# -ge 6 ] || fail "the client got no vehicle"
CX=$5 CY=$6
echo "xvfb_net_check: server's vehicle at $SX,$SY (view $VX,$VY), client's at $CX,$CY, map ${MW}x$MH"

# The destination: two cells from the server's vehicle on the client's side (the server sees
# only its vehicle's near cells; the vehicle itself turns while it waits, so its own cell stays
# out of the compared picture), as the minimap right click maps it (64 x 40 pixels for the
# map: cell = (pointer - 1) * width / 64 + 1, rounded down, and likewise with 40 rows).
if [ "$CX" -lt "$SX" ]; then TX=$((SX - 2)); else TX=$((SX + 2)); fi
TY=$SY
MX=$(( ( (TX - 1) * 64 + MW - 1) / MW + 1 ))
MY=$(( ( (TY - 1) * 40 + MH - 1) / MH + 159 ))
TX=$(( (MX - 1) * MW / 64 + 1 ))
TY=$(( (MY - 159) * MH / 40 + 1 ))
[ $TX -ge $VX ] && [ $TX -lt $((VX + 20)) ] && [ $TY -ge $VY ] && [ $TY -lt $((VY + 9)) ] \
  || fail "the destination $TX,$TY is outside the server's view"
# The server's picture of the destination cell (16 x 16 pixels a cell, the view's first cell
# at 0,0 of the picture); it must hold still before the order for a change to mean anything.
BOX="16x16+$(( (TX - VX) * 16 ))+$(( (TY - VY) * 16 ))"
box() { shot "$SW" "$1" && convert "$WORK/$1.png" -crop "$BOX" +repage "$WORK/$1_box.png"; }
box before || fail "cannot crop $BOX"
box still || fail "cannot crop $BOX"
[ "$(compare -metric AE "$WORK/before_box.png" "$WORK/still_box.png" null: 2>&1)" = "0" ] \
  || fail "the server's picture of $TX,$TY changes with no order"

press "$CW" "$MX" "$MY" 3
xs_wait_log "$WORK/server.log" '^net request 2 2 ' || fail "the server took no move request from the client"
arrived() {
  box after || return 1
  [ "$(compare -metric AE -fuzz 6% "$WORK/before_box.png" "$WORK/after_box.png" null: 2>&1)" -gt 40 ]
}
if ! XS_TIMEOUT=120 xs_until arrived; then
  cp "$WORK/after.png" "$OUT/xnet_server.png" 2>/dev/null
  fail "the client's vehicle never appeared at $TX,$TY on the server's screen (kept as $OUT/xnet_server.png)"
fi
kill -0 "$SPID" 2>/dev/null || fail "the server ended"
kill -0 "$CPID" 2>/dev/null || fail "the client ended"
echo "xvfb_net_check: passed (lobby on both, map and sides chosen, the client's move request taken, its vehicle drawn at $TX,$TY on the server's screen)"
exit 0
