#!/bin/sh
# A network game between two real programs under one virtual X display with the SDL back end:
# a server and a client, each in a fresh copy of the game folder, on loopback. Both go through
# the lobby by clicks, the server chooses the map and its side, the client its side; once the
# game runs, the client sends its start vehicle (already selected) by a right click on its
# minimap next to the server's vehicle. The server's view is centred on its own vehicle (Ctrl+C)
# and found where expected (the vehicle's cells lit, the shroud three cells away); the check
# then looks at the server's picture of the 5 x 5 cells around its vehicle (the vehicle's own
# cell left out): it must hold still before the order and change when the client's vehicle
# arrives.
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
xs_session xvfb_net_check server:server.log client:client.log
# The last pictures of both windows are kept on a failure, with what each program was doing
# (alive, its processor time) and where its window stood.
keep_last() {
  for _p in server:${SPID:-} client:${CPID:-}; do
    [ -n "${_p#*:}" ] && echo "  ${_p%%:*}: process $(ps -o stat=,etime=,time= -p "${_p#*:}" || echo gone)"
  done
  for _w in server:${SW:-} client:${CW:-}; do
    [ -n "${_w#*:}" ] && xwininfo -id "${_w#*:}" 2>&1 | grep -E 'Absolute|Width|Height|Map State|error' |
      tr -s ' ' | paste -s -d' ' | sed "s/^/  ${_w%%:*}: window/"
  done
  [ -n "${SW:-}" ] && shot "$SW" server_last && cp "$WORK/server_last.png" "$OUT/xnet_server_last.png"
  [ -n "${CW:-}" ] && shot "$CW" client_last && cp "$WORK/client_last.png" "$OUT/xnet_client_last.png"
}
XS_ON_FAIL=keep_last
XS_LOG_LINES=15
fail() { xs_failed "$@"; }

xs_start 1400x900 || fail "no X session"

# A port of its own, so that another loopback test cannot be in the way.
PORT=$((20000 + $$ % 20000))
prepare() {
  xs_fresh_game "$GAME" "$BIN" "$1"
  rm -f "$WORK/$1/save/"* 2>/dev/null
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
# clicks meant for one cannot land on the other. The program centres its window whenever it
# sets the window's size, the last time before its main menu: a window is moved once its menu
# shows, and moved again until it stands where it was sent.
launch() {
  (cd "$WORK/$1" && exec env ZARN_PLATFORM=sdl SDL_AUDIODRIVER=dummy ZARN_TRACE_NET=1 ./zarn -debug) \
    >"$WORK/$1.log" 2>&1 &
}
_placed() {  # _placed WINDOW X Y
  xdotool windowmove "$1" "$2" "$3"
  set -- $(xwininfo -id "$1" | sed -n -E 's/^ *Absolute upper-left [XY]: *(-?[0-9]+)$/\1/p') "$2" "$3"
  [ $# -eq 4 ] && [ $(($1 - $3)) -ge -2 ] && [ $(($1 - $3)) -le 2 ] &&
    [ $(($2 - $4)) -ge -2 ] && [ $(($2 - $4)) -le 2 ]
}
shot() { import -window "$1" "$WORK/$2.png" 2>/dev/null && convert "$WORK/$2.png" -sample 50% "$WORK/$2.png"; }
# The pixel colour of a shot at a point of the game's picture.
pixel() { convert "$WORK/$1.png" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null; }
# The main menu answers clicks once it is drawn: its sun (255,230,123) stands at 68,78.
menu_shown() { shot "$1" probe && [ "$(pixel probe 68 78)" = "srgb(255,230,123)" ]; }
launch server
SPID=$!
XS_PIDS="$XS_PIDS $SPID"
xs_wait_window "$SPID" || fail "no server window"
SW=$XS_WINDOW
xs_until menu_shown "$SW" || fail "the server shows no main menu"
xs_until _placed "$SW" 0 0 || fail "the server's window does not move aside"
launch client
CPID=$!
XS_PIDS="$XS_PIDS $CPID"
xs_wait_window "$CPID" || fail "no client window"
CW=$XS_WINDOW
xs_until menu_shown "$CW" || fail "the client shows no main menu"
xs_until _placed "$CW" 700 0 || fail "the client's window does not move aside"

# In 320 x 200 coordinates of the game; button 3 is the right button.
press() { xdotool mousemove --window "$1" $(($2 * 2 + 1)) $(($3 * 2 + 1)) click "${4:-1}"; }
# press ... until LOG has a line /RE/: a click sent in the moment the window manager moves
# the focus can still be lost on the way, so an unheard click is sent again.
press_until() {
  _log=$1 _re=$2
  shift 2
  for _try in 1 2 3 4 5; do
    press "$@"
    XS_TIMEOUT=20 xs_until grep -q -E "$_re" "$_log" && return 0
    echo "xvfb_net_check: the click at $2,$3 went unheard, once more"
  done
  return 1
}

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
# The side click starts the game. A pointer that left a window stands at its edge for that
# program, whose view then scrolls once play runs: each click is left alone until its effect
# shows, then the pointer rests on the server's panel (away from every edge) and Ctrl+C brings
# the server's view back to its vehicle (below).
press_until "$WORK/server.log" '^net request 2 30 ' "$CW" "$3" "$4" \
  || fail "the server heard of no side chosen by the client"
park() { xdotool mousemove --window "$SW" $((160 * 2 + 1)) $((190 * 2 + 1)); }
xs_wait_log "$WORK/client.log" '^net started ' || fail "the game did not start on the client"
xs_wait_log "$WORK/server.log" '^net view ' || fail "the server placed no vehicle of its own"
park

set -- $(grep -E '^net vehicle 1 ' "$WORK/server.log")
SX=$5 SY=$6 MW=$8 MH=$9
set -- $(grep -E '^net vehicle 2 ' "$WORK/server.log")
[ $# -ge 6 ] || fail "the client got no vehicle"
CX=$5 CY=$6
# Ctrl+C centres the server's view on its selected vehicle: 20 x 10 cells from
# (x - 10, y - 5), kept inside the map.
clamp() { _v=$1; [ "$_v" -gt "$2" ] && _v=$2; [ "$_v" -lt 1 ] && _v=1; echo "$_v"; }
VX=$(clamp $((SX - 10)) $((MW - 20)))
VY=$(clamp $((SY - 5)) $((MH - 10)))
echo "xvfb_net_check: server's vehicle at $SX,$SY (view $VX,$VY), client's at $CX,$CY, map ${MW}x$MH"

# The server sees its vehicle's cell and the eight around it; the ring beyond is half shroud
# and the rest black. The destination: the minimap pixel (64 x 40 for the whole map, mapped as
# the right click maps it: cell = (pointer - 1) * width / 64 + 1, rounded down, and likewise
# with 40 rows from row 159) whose cell is nearest to the server's vehicle without being its
# cell. Wherever the client's vehicle stops, short of a blocked cell, it is in the 5 x 5 cells
# around the server's vehicle, which the check compares (the server's vehicle turns while it
# waits: its own cell and a margin are left out).
abs() { [ "$1" -lt 0 ] && echo $((-$1)) || echo "$1"; }
MX0=$(( (SX - 1) * 64 / MW + 1 ))
MY0=$(( (SY - 1) * 40 / MH + 159 ))
BEST=99
for mx in $((MX0 - 1)) $MX0 $((MX0 + 1)); do
  for my in $((MY0 - 1)) $MY0 $((MY0 + 1)); do
    [ $mx -ge 1 ] && [ $mx -le 64 ] && [ $my -ge 159 ] && [ $my -le 198 ] || continue
    tx=$(( (mx - 1) * MW / 64 + 1 )) ty=$(( (my - 159) * MH / 40 + 1 ))
    dx=$(abs $((tx - SX))) dy=$(abs $((ty - SY)))
    d=$dx; [ $dy -gt $d ] && d=$dy
    [ $d -ge 1 ] || continue
    score=$((d * 10 + dx + dy))
    [ $score -lt $BEST ] && BEST=$score MX=$mx MY=$my TX=$tx TY=$ty
  done
done
[ $BEST -lt 30 ] || fail "no minimap pixel leads within two cells of the server's vehicle"

# The compared region: the 5 x 5 cells inside the view, short of its top row (the credits) and
# of its last two (the message line, which goes out by itself).
RX1=$((SX - 2)) RY1=$((SY - 2)) RX2=$((SX + 2)) RY2=$((SY + 2))
[ $RX1 -lt $VX ] && RX1=$VX
[ $RY1 -le $VY ] && RY1=$((VY + 1))
[ $RX2 -gt $((VX + 19)) ] && RX2=$((VX + 19))
[ $RY2 -gt $((VY + 7)) ] && RY2=$((VY + 7))
[ $TX -ge $RX1 ] && [ $TX -le $RX2 ] && [ $TY -ge $RY1 ] && [ $TY -le $RY2 ] \
  || fail "the destination $TX,$TY is outside the compared region of the server's view"
REGION="$(( (RX2 - RX1 + 1) * 16 ))x$(( (RY2 - RY1 + 1) * 16 ))+$(( (RX1 - VX) * 16 ))+$(( (RY1 - VY) * 16 ))"
# The server's vehicle, turned, reaches a few pixels beyond its cell, and so does its selection
# box: five pixels around the cell are left out too.
OWN="rectangle $(( (SX - RX1) * 16 - 5 )),$(( (SY - RY1) * 16 - 5 )) $(( (SX - RX1) * 16 + 20 )),$(( (SY - RY1) * 16 + 20 ))"

# The largest channel value in one cell of the last shot (0: all black).
cell_max() {
  convert "$WORK/view.png" -crop "16x16+$(( ($1 - VX) * 16 ))+$(( ($2 - VY) * 16 ))" +repage \
    -format '%[max]' info: 2>/dev/null
}
# The view stands where the check expects it: the vehicle's 3 x 3 cells show ground and the cells
# three away along its row and column (where the view and map have them) are all black.
centred() {
  xdotool windowfocus "$SW" key --clearmodifiers ctrl+c 2>/dev/null || return 1
  shot "$SW" view || return 1
  for _y in $((SY - 1)) $SY $((SY + 1)); do
    for _x in $((SX - 1)) $SX $((SX + 1)); do
      [ "$(cell_max "$_x" "$_y")" != 0 ] || return 1
    done
  done
  for _c in "$((SX - 3)) $SY" "$((SX + 3)) $SY" "$SX $((SY - 3))" "$SX $((SY + 3))"; do
    set -- $_c
    [ $1 -ge $VX ] && [ $1 -le $((VX + 19)) ] && [ $2 -ge $VY ] && [ $2 -le $((VY + 8)) ] || continue
    [ "$(cell_max "$1" "$2")" = 0 ] || return 1
  done
}
xs_until centred || fail "the server's view does not come to rest around its vehicle at $VX,$VY"
region() {
  shot "$SW" "$1" && convert "$WORK/$1.png" -crop "$REGION" +repage -fill black -draw "$OWN" \
    "$WORK/$1_region.png"
}
region before || fail "cannot crop $REGION"
region still || fail "cannot crop $REGION"
[ "$(compare -metric AE "$WORK/before_region.png" "$WORK/still_region.png" null: 2>&1)" = "0" ] \
  || fail "the server's picture around its vehicle changes with no order"

# The order on the client's minimap; once the server has it the pointer rests again, and the
# server's view is centred anew if it moved meanwhile.
press_until "$WORK/server.log" "^net request 2 2 \\[2 [0-9]+ $TX $TY \\]" "$CW" "$MX" "$MY" 3 \
  || fail "the server took no move request to $TX,$TY from the client"
park
xs_until centred || fail "the server's view does not come back around its vehicle"
arrived() {
  region after || return 1
  [ "$(compare -metric AE -fuzz 6% "$WORK/before_region.png" "$WORK/after_region.png" null: 2>&1)" -gt 40 ]
}
if ! XS_TIMEOUT=150 xs_until arrived; then
  cp "$WORK/after.png" "$OUT/xnet_server.png" 2>/dev/null
  fail "the client's vehicle never appeared around $TX,$TY on the server's screen (kept as $OUT/xnet_server.png)"
fi
kill -0 "$SPID" 2>/dev/null || fail "the server ended"
kill -0 "$CPID" 2>/dev/null || fail "the client ended"
echo "xvfb_net_check: passed (lobby on both, map and sides chosen, the client's move request taken, its vehicle drawn near $TX,$TY on the server's screen)"
exit 0
