#!/bin/sh
# The real program under a virtual 640 x 400 X display with the SDL back end: it starts full
# screen on the main menu (the button column must match the pinned start-up picture doubled),
# entering a button plays the hover sound once, a click on the quit button ends it with status 0
# and zarn.ini then holds the 22 keys in order; "-debug" stays in a 640 x 400 window; a missing
# font gives a message and a non-zero status.
#
#   tests/shell/xvfb_check.sh <zarn binary> <game folder> <test_shell binary> <reference PNG>
#
# The reference is the start-up picture that test_shell pins, written by it on request.
#
# Exit 0: passed; 1: failed; 77: skipped (a tool is missing).
set -u

BIN=${1:?usage: xvfb_check.sh <zarn> <game folder> <reference png>}
GAME=${2:?usage: xvfb_check.sh <zarn> <game folder> <reference png>}
TESTS=${3:?usage: xvfb_check.sh <zarn> <game folder> <test_shell> <reference png>}
REF=${4:?usage: xvfb_check.sh <zarn> <game folder> <test_shell> <reference png>}
for tool in Xvfb xdotool import compare convert; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "xvfb_check: skipped, $tool is not installed"
    exit 77
  fi
done
command -v evilwm >/dev/null 2>&1 || { echo "xvfb_check: skipped, evilwm is not installed"; exit 77; }
ZARN_PLATFORM=null ZARN_GOLDEN_WRITE=1 "$TESTS" --gtest_filter='*StartsUpToTheMainMenu*' >/dev/null 2>&1 \
  || { echo "xvfb_check: FAILED: the pinned start-up picture does not hold"; exit 1; }
[ -f "$REF" ] || { echo "xvfb_check: FAILED: no reference picture $REF"; exit 1; }

WORK=$(mktemp -d)
XPID=""
WMPID=""
APID=""
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
  stop "$APID"
  stop "$WMPID"
  stop "$XPID"
  rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

fail() {
  echo "xvfb_check: FAILED: $*"
  [ -f "$WORK/log" ] && sed 's/^/  program: /' "$WORK/log"
  exit 1
}

# A fresh copy of the game folder with the program beside its data.
fresh_game() {
  rm -rf "$WORK/game"
  cp -r "$GAME" "$WORK/game" || fail "cannot copy the game folder"
  rm -f "$WORK/game/zarn.ini"
  cp "$BIN" "$WORK/game/zarn" || fail "cannot copy the program"
}

# Starts the program in the background with its log in $WORK/log.
launch() {
  (cd "$WORK/game" && exec env ZARN_PLATFORM=sdl SDL_AUDIODRIVER=disk \
     SDL_DISKAUDIOFILE="$WORK/audio.raw" ZARN_TRACE_SOUND=1 ./zarn "$@") >"$WORK/log" 2>&1 &
  APID=$!
}

# Waits up to $1 seconds for the program to end; its status in $STATUS.
wait_exit() {
  n=0
  while kill -0 "$APID" 2>/dev/null && [ "$n" -lt "$(($1 * 10))" ]; do
    sleep 0.1
    n=$((n + 1))
  done
  kill -0 "$APID" 2>/dev/null && return 1
  wait "$APID"
  STATUS=$?
  APID=""
  return 0
}

start_x() {  # start_x WIDTHxHEIGHT
  stop "$WMPID"
  stop "$XPID"
  rm -f "$WORK/display"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
  XPID=$!
  n=0
  while [ ! -s "$WORK/display" ] && [ "$n" -lt 100 ]; do
    sleep 0.1
    n=$((n + 1))
  done
  [ -s "$WORK/display" ] || fail "the virtual X display did not start"
  DISPLAY=":$(head -n 1 "$WORK/display")"
  export DISPLAY
  evilwm >"$WORK/wm.log" 2>&1 &
  WMPID=$!
  sleep 0.5
}

# --- Full screen on the main menu. ---
start_x 640x400
fresh_game
xdotool mousemove 5 5
launch
sleep 4
kill -0 "$APID" 2>/dev/null || fail "the program ended at start-up"
import -window root "$WORK/shot.png" || fail "no screenshot"
# The button column (193, 66)-(293, 179), doubled; the animation and the pointer lie outside it.
convert "$REF" -scale 200% -crop 202x228+386+132 +repage "$WORK/want.png" || fail "convert"
convert "$WORK/shot.png" -crop 202x228+386+132 +repage "$WORK/got.png" || fail "convert"
DIFF=$(compare -metric AE -fuzz 3% "$WORK/want.png" "$WORK/got.png" null: 2>&1)
[ "$DIFF" = "0" ] || fail "the main menu's buttons differ from the pinned picture in $DIFF pixels"

# --- Entering the first button plays the hover sound once. ---
before=$(grep -c '^sound 75 90$' "$WORK/log")
xdotool mousemove 484 148
sleep 1
xdotool mousemove 490 150
sleep 1
after=$(grep -c '^sound 75 90$' "$WORK/log")
[ $((after - before)) -eq 1 ] || fail "the hover sound played $((after - before)) times"
[ -s "$WORK/audio.raw" ] || fail "no sound reached the audio device"

# --- The quit button ends the program with status 0 and saves the settings. ---
xdotool mousemove 486 344 click 1
wait_exit 10 || fail "the quit button did not end the program"
[ "$STATUS" -eq 0 ] || fail "the program ended with status $STATUS"
KEYS=$(sed -n 's/^\([A-Za-z]*\)=.*/\1/p' "$WORK/game/zarn.ini" | tr '\n' ' ')
WANT="MusicEnable SoundEnable UnitSpeak UnitExecuteSpeak BuildSpeak SevnarSpeak MessageEnable \
AsServer RusChat CrowEnable StarCraftCursor SoundSystemDisable Server PlayerName SoundVolume \
ScrollPause Partners MaxUnitForAlliance MaxBuildForAlliance GameSpeed PaletteType ScreenMode "
[ "$KEYS" = "$WANT" ] || fail "zarn.ini holds: $KEYS"

# --- "-debug" keeps a window on a larger desktop. ---
start_x 1024x768
fresh_game
launch -debug
sleep 4
kill -0 "$APID" 2>/dev/null || fail "the program ended at start-up with -debug"
GEOM=$(xdotool search --name 'ZARN' getwindowgeometry 2>/dev/null | sed -n 's/.*Geometry: //p' | head -n 1)
[ "$GEOM" = "640x400" ] || fail "with -debug the window is $GEOM, not 640x400"
stop "$APID"
APID=""

# --- A missing font: a message and a non-zero status. ---
fresh_game
rm -f "$WORK/game/data/year2000.fnt"
launch
# The message box waits for its button: press Enter on it.
sleep 3
xdotool key Return 2>/dev/null
wait_exit 10 || fail "without a font the program did not end"
[ "$STATUS" -ne 0 ] || fail "without a font the program ended with status 0"
grep -qi 'year2000.fnt' "$WORK/log" || echo "xvfb_check: note: the font message is not in the log (shown as a box)"

echo "xvfb_check: passed (main menu shown, hover sound once, quit with 0, 22 keys, -debug windowed, missing font fails)"
exit 0
