#!/bin/sh
# The real program under a virtual 640 x 400 X display with the SDL back end: it starts full
# screen on the main menu (the button column must match the pinned start-up picture doubled),
# entering a button plays the hover sound once (counted in the captured samples), a click on
# the quit button ends it with status 0 and zarn.ini then holds the 22 keys in order; "-debug"
# stays in a 640 x 400 window; a missing font gives a message and a non-zero status; the
# display killed under it: within a second of the server's end it says so, the settings saved as at
# quit, and it ends with status 1;
# TERM ends it as its close box does (status 0, the settings file untouched); TERM or INT with a
# message box open (a settings file that is a named pipe) ends it within a second, leaving no
# process and no window of it behind.
#
#   tests/shell/xvfb_check.sh <zarn> <game folder> <test_shell> <reference PNG> <audio_bursts>
#
# The reference is the start-up picture that test_shell pins, written by it on request.
# Exit 0: passed; 1: failed (with the reason).
set -u

usage="usage: xvfb_check.sh <zarn> <game folder> <test_shell> <reference png> <audio_bursts>"
BIN=${1:?$usage}
GAME=${2:?$usage}
TESTS=${3:?$usage}
REF=${4:?$usage}
BURSTS=${5:?$usage}
. "$(dirname "$0")/../common/xsession.sh"
xs_need_tools import compare convert || exit 1
xs_session xvfb_check log
fail() { xs_failed "$@"; }

ZARN_PLATFORM=null ZARN_GOLDEN_WRITE=1 "$TESTS" --gtest_filter='*StartsUpToTheMainMenu*' >/dev/null 2>&1 \
  || fail "the pinned start-up picture does not hold"
[ -f "$REF" ] || fail "no reference picture $REF"

# Music off, so that the captured samples hold only the sound effects.
fresh_game() {
  xs_fresh_game "$GAME" "$BIN"
  printf '[Options]\nMusicEnable=0\n' >"$WORK/game/zarn.ini"
  rm -f "$WORK/audio.raw"
}

# Starts the program in the background with its log in $WORK/log. A background job would ignore
# INT, as the program then does too: it gets INT's own action, as when started from a terminal.
launch() {
  (cd "$WORK/game" && exec env --default-signal=INT ZARN_PLATFORM=sdl SDL_AUDIODRIVER=disk \
     SDL_DISKAUDIOFILE="$WORK/audio.raw" ZARN_TRACE_SOUND=1 ./zarn "$@") >"$WORK/log" 2>&1 &
  APID=$!
}

# Ends the program's run: waits for it to exit; its status in STATUS.
wait_exit() {
  xs_wait_gone "$APID" || return 1
  STATUS=$XS_STATUS
  APID=""
}

# "N" or "N ended" (the last burst is over).
bursts() { "$BURSTS" "$WORK/audio.raw" | sed -n 's/^bursts //p'; }
bursts_are() { [ "$(bursts)" = "$1 ended" ]; }
sounds_logged_are() { [ "$(grep -c '^sound 75 90$' "$WORK/log")" = "$1" ]; }

# --- Full screen on the main menu. ---
xs_start 640x400 || fail "no X session"
fresh_game
xdotool mousemove 5 5
launch
xs_wait_window "$APID" || fail "the program's window never appeared"
# The button column (193, 66)-(293, 179), doubled; the animation and the pointer lie outside it.
convert "$REF" -scale 200% -crop 202x228+386+132 +repage "$WORK/want.png" || fail "convert"
column_matches() {
  import -window root "$WORK/shot.png" || return 1
  convert "$WORK/shot.png" -crop 202x228+386+132 +repage "$WORK/got.png" || return 1
  DIFF=$(compare -metric AE -fuzz 3% "$WORK/want.png" "$WORK/got.png" null: 2>&1)
  [ "$DIFF" = "0" ]
}
xs_until column_matches || fail "the main menu's buttons differ from the pinned picture in ${DIFF:-?} pixels"
kill -0 "$APID" 2>/dev/null || fail "the program ended at start-up"

# --- Entering a button plays the hover sound once; staying on it plays nothing more. ---
[ "$(bursts)" = "0" ] || [ "$(bursts)" = "0 ended" ] || fail "sound before any button was entered ($(bursts) bursts)"
xdotool mousemove 484 148
xs_until bursts_are 1 || fail "entering the first button gave $(bursts) bursts of sound, not 1"
xdotool mousemove 490 150
# Entering the second button must give exactly one more: by then the move above was handled.
xdotool mousemove 484 190
xs_until bursts_are 2 || fail "moving on the first button and entering the second gave $(bursts) bursts, not 2"
xs_until sounds_logged_are 2 || fail "the hover sound was played $(grep -c '^sound 75 90$' "$WORK/log") times, not 2"

# --- The quit button ends the program with status 0 and saves the settings. ---
xdotool mousemove 486 344 click 1
wait_exit || fail "the quit button did not end the program"
[ "$STATUS" -eq 0 ] || fail "the program ended with status $STATUS"
KEYS=$(sed -n 's/^\([A-Za-z]*\)=.*/\1/p' "$WORK/game/zarn.ini" | tr '\n' ' ')
WANT="MusicEnable SoundEnable UnitSpeak UnitExecuteSpeak BuildSpeak SevnarSpeak MessageEnable \
AsServer RusChat CrowEnable StarCraftCursor SoundSystemDisable Server PlayerName SoundVolume \
ScrollPause Partners MaxUnitForAlliance MaxBuildForAlliance GameSpeed PaletteType ScreenMode "
[ "$KEYS" = "$WANT" ] || fail "zarn.ini holds: $KEYS"

# --- "-debug" keeps a window on a larger desktop. ---
xs_stop
xs_start 1024x768 || fail "no X session"
fresh_game
launch -debug
xs_wait_window "$APID" || fail "with -debug no window appeared"
is_window_640() {
  GEOM=$(xdotool getwindowgeometry "$XS_WINDOW" | sed -n 's/.*Geometry: //p')
  [ "$GEOM" = "640x400" ]
}
xs_until is_window_640 || fail "with -debug the window is ${GEOM:-?}, not 640x400"
kill -0 "$APID" 2>/dev/null || fail "the program ended at start-up with -debug"
xs_kill "$APID"
APID=""

# --- A missing font: a message box, then a non-zero status. ---
fresh_game
rm -f "$WORK/game/data/year2000.fnt"
launch
xs_wait_tree '"ZARN III": ' || fail "without a font no message box appeared"
# The box may take a moment to accept keys after it is mapped: press until the program ends.
press_and_gone() {
  [ -n "$APID" ] && kill -0 "$APID" 2>/dev/null || return 0
  xdotool key Return
  return 1
}
xs_until press_and_gone || fail "without a font the program did not end"
wait_exit || fail "without a font the program did not end"
[ "$STATUS" -ne 0 ] || fail "without a font the program ended with status 0"

# --- The display goes away under the running game: within a second it says that it ends,
# having kept the settings as quitting keeps them, and it ends with status 1. ---
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# gone_within MS WHAT: waits for the program, started at $FROM (ms), to end; fails when it took
# more than MS. The shell is told of the end at once (no polling); a guard kills the program
# after 10 s.
gone_within() {
  ( trap 'kill "$_sleep" 2>/dev/null; exit 0' TERM
    sleep 10 & _sleep=$!
    wait "$_sleep" && kill -9 "$APID" 2>/dev/null ) &
  _guard=$!
  wait "$APID"
  STATUS=$?
  TOOK=$(($(now_ms) - FROM))
  kill "$_guard" 2>/dev/null
  wait "$_guard" 2>/dev/null
  APID=""
  [ "$TOOK" -le "$1" ] || fail "$2: the program took $TOOK ms to end"
}
menu_up() {
  xs_wait_window "$APID" || fail "the program's window never appeared"
  xs_until column_matches || fail "the main menu did not come up"
}
xs_stop
xs_start 640x400 || fail "no X session"
fresh_game
printf '[Options]\nMusicEnable=0\nGameSpeed=16\n' >"$WORK/game/zarn.ini"
launch
menu_up
kill -9 "$XS_XPID"
# The time runs from the server's end, and to the program's word that it ends: on a loaded
# machine the kernel took up to 3.6 s more to tear down a process that had already exited
# (its last call made within 0.3 s of the server's end).
wait "$XS_XPID" 2>/dev/null
XS_XPID=""
FROM=$(now_ms)
_told() { grep -q "the connection to the display was lost" "$WORK/log"; }
while ! _told && [ $(($(now_ms) - FROM)) -le 1000 ]; do sleep 0.01; done
TOLD=$(($(now_ms) - FROM))
_told && [ "$TOLD" -le 1000 ] || fail "with the display gone the program did not say within a second that it ends ($TOLD ms)"
wait_exit || fail "with the display gone the program did not end"
echo "xvfb_check: the display gone, the program said it ends in $TOLD ms"
xs_cleanup
[ "$STATUS" -eq 1 ] || fail "with the display gone the program ended with status $STATUS, not 1"
# The keys already in the file keep their places: the 22 in any order.
sorted_words() { tr ' ' '\n' | sed '/^$/d' | sort | tr '\n' ' '; }
KEYS=$(sed -n 's/^\([A-Za-z]*\)=.*/\1/p' "$WORK/game/zarn.ini" | tr '\n' ' ')
[ "$(echo "$KEYS" | sorted_words)" = "$(echo "$WANT" | sorted_words)" ] ||
  fail "with the display gone zarn.ini holds: $KEYS"
grep -q '^GameSpeed=16' "$WORK/game/zarn.ini" || fail "with the display gone the settings read were not kept"

# --- TERM ends it as its close box does: status 0, the settings file not written. ---
xs_start 640x400 || fail "no X session"
fresh_game
printf '[Options]\nMusicEnable=0\nGameSpeed=16\n' >"$WORK/game/zarn.ini"
cp "$WORK/game/zarn.ini" "$WORK/ini.before"
launch
menu_up
FROM=$(now_ms)
kill -TERM "$APID"
gone_within 1000 "TERM"
[ "$STATUS" -eq 0 ] || fail "TERM ended the program with status $STATUS"
cmp -s "$WORK/ini.before" "$WORK/game/zarn.ini" || fail "TERM wrote the settings file"

# --- A settings file that is a named pipe is told in a box at start-up instead of holding it for
# good; the box waits for its answer. TERM or INT with that box open ends the program within a
# second (by the signal itself), and with it the child that shows the box: within a second no
# process of the program is left, nor any window of it on the display. ---
# The processes running the program's file (a process that has ended has no file to show).
program_processes() {
  _n=0
  for _p in /proc/[0-9]*; do
    [ "$(readlink "$_p/exe" 2>/dev/null)" = "$WORK/game/zarn" ] && _n=$((_n + 1))
  done
  echo "$_n"
}
# The program's window (" ZARN III ") and its box ("ZARN III") in the window tree.
program_windows() { xwininfo -root -tree | grep -c '"ZARN III": \|" ZARN III ": '; }
for SIG in TERM INT; do
  fresh_game
  rm -f "$WORK/game/zarn.ini"
  mkfifo "$WORK/game/zarn.ini" || fail "mkfifo"
  launch
  xs_wait_tree '"ZARN III": ' || fail "with a pipe for zarn.ini no message box appeared"
  grep -q "zarn.ini is not a regular file" "$WORK/log" || fail "the box does not name zarn.ini"
  kill -0 "$APID" 2>/dev/null || fail "the program did not wait for the box's answer"
  FROM=$(now_ms)
  kill -"$SIG" "$APID"
  gone_within 1000 "$SIG with a box open"
  case $SIG in TERM) WANT_STATUS=143 ;; INT) WANT_STATUS=130 ;; esac
  [ "$STATUS" -eq "$WANT_STATUS" ] || fail "$SIG with a box open ended the program with status $STATUS"
  while { [ "$(program_processes)" != 0 ] || [ "$(program_windows)" != 0 ]; } &&
        [ $(($(now_ms) - FROM)) -le 1000 ]; do sleep 0.01; done
  [ "$(program_processes)" = 0 ] ||
    fail "$SIG with a box open left $(program_processes) processes of the program a second on"
  [ "$(program_windows)" = 0 ] ||
    fail "$SIG with a box open left $(program_windows) windows of the program a second on"
done

echo "xvfb_check: passed (main menu shown, hover sound once, quit with 0, 22 keys, -debug windowed, missing font fails, a lost display ends it in a second keeping the settings, TERM ends it, TERM and INT with a box open leave nothing behind)"
exit 0
