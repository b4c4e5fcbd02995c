#!/bin/sh
# The real program under a virtual 640 x 400 X display with the SDL back end plays mission 1 of
# each faction from the faction choice to victory, with the gestures that the help text
# teaches: the harvester, selected at the start, sent to the field in sight by the right
# button; the yard picked by the left button and its build list opened by its portrait and left
# by ВЫБРАТЬ; Esc for the game menu and its continue button; then the harvester's delivery wins
# the mission, and the victory and score screens follow. From the score it goes on to mission 2,
# and from there by Esc and "new faction" to the next faction. Each step's screenshot is
# compared with the picture that the headless run of the same clicks writes (test_shell,
# MissionEntryTest), in the regions that show the step; the program's sound trace tells when
# the faction's voice and the victory's voice are played.
#
#   tests/shell/xvfb_first_missions.sh <zarn> <game folder> <test_shell> <pictures folder>
#
# Exit 0: passed; 1: failed (with the reason).
set -u

usage="usage: xvfb_first_missions.sh <zarn> <game folder> <test_shell> <pictures folder>"
BIN=${1:?$usage}
GAME=${2:?$usage}
TESTS=${3:?$usage}
PICS=${4:?$usage}
. "$(dirname "$0")/../common/xsession.sh"
xs_need_tools import compare convert xdotool || exit 1
xs_session xvfb_first_missions log
fail() { xs_failed "$@"; }

ZARN_PLATFORM=null "$TESTS" --gtest_filter='MissionEntryTest.TheFirstMissionOfEachFactionIsWonAsTheHelpSays' \
  >/dev/null 2>&1 || fail "the headless run of the same clicks does not pass"
[ -f "$PICS/first_points.sh" ] || fail "no $PICS/first_points.sh"
. "$PICS/first_points.sh"

KEEP="$PICS/xfirst"
. "$(dirname "$0")/xregions.sh"

# Regions of the 320 x 200 picture.
WHOLE="0 0 320 200"
NAMEPIC="66 164 44 36"      # the panel's caption and picture of the selection
INFO="66 164 190 36"        # the panel's caption, picture and status line of the selection
YARDVIEW="112 48 32 32"     # the yard's cells (15, 5) to (16, 6) in the opening view (8, 2)
LOADTEXT="110 172 34 12"    # "ПОЛОН НА" of a harvester with a load, without its figure (the
                            # headless run stops at 2 %; here it fills on while looked at)
NAMEBAR="72 20 248 21"      # the build list's name and price of the selected kind
LIST="14 56 38 94"          # the build list's icons below the first, selected one, whose red
FIRSTICON="18 28 30 22"     # frame pulses: of that one, only what lies inside its frame
HEADINGS="5 16 300 12"      # the score's headings
YESBUTTON="142 160 36 16"   # the one button of the victory and score screens

key() { xdotool key --window "$XS_WINDOW" "$1"; }
# Esc in play: the game menu, the world standing.
game_menu() {
  key Escape
  wait_region "$1: Esc did not open the game menu" first_${1}_gamemenu $WHOLE
}
# Waits for a line of the program's sound trace that was not there before.
wait_sound() {
  xs_until sh -c "[ \$(grep -c '^sound 100 $1\$' '$WORK/log') -gt $2 ]" || fail "$3"
}
sounds() { grep -c "^sound 100 $1\$" "$WORK/log"; }

xs_start 640x400 || fail "no X session"
xs_fresh_game "$GAME" "$BIN"
printf '[Options]\nMusicEnable=0\nSoundEnable=0\nGameSpeed=17\n' >"$WORK/game/zarn.ini"
xdotool mousemove $REST
(cd "$WORK/game" && exec env ZARN_PLATFORM=sdl SDL_AUDIODRIVER=dummy ZARN_TRACE_SOUND=1 ./zarn) >"$WORK/log" 2>&1 &
APID=$!
xs_wait_window "$APID" || fail "the program's window never appeared"

# The window may still be taking its full-screen place: the pointer is moved until the main
# menu's buttons (around the pointer resting over them) show as in the headless run.
MENU="193 66 101 114"
rest_on_menu() {
  xdotool mousemove $(echo $REST | awk '{print $1 + 4, $2 + 4}') mousemove $REST
  region_matches first_mainmenu $MENU
}
xs_until rest_on_menu || fail "the main menu is not shown with the pointer at rest (${DIFF:-?} pixels differ)"
click $NEW_GAME
for f in alm:96 tel:98 gor:97; do
  pre=${f%%:*}
  voice=${f#*:}
  eval "button=\$FACTION_$pre victory=\$VICTORY_$pre"
  wait_region "$pre: the faction choice is not shown" first_${pre}_faction $WHOLE
  before=$(sounds "$voice")
  click $button
  wait_sound "$voice" "$before" "$pre: the faction's voice ($voice) was not played"
  wait_region "$pre: the briefing of mission 1 is not shown" first_${pre}_briefing $WHOLE
  click $BEGIN
  wait_region "$pre: play did not open with the harvester selected" first_${pre}_play $NAMEPIC
  wait_region "$pre: the opening view does not show the yard" first_${pre}_play $YARDVIEW
  rclick $FIELD
  wait_region "$pre: the harvester sent by the right button did not load at the field" first_${pre}_harvesting $LOADTEXT
  click $YARD
  wait_region "$pre: a left click on the yard did not select it" first_${pre}_yard $INFO
  click $PORTRAIT
  wait_region "$pre: the portrait did not open the yard's build list" first_${pre}_buildlist $NAMEBAR
  wait_region "$pre: the build list's icons differ" first_${pre}_buildlist $LIST
  wait_region "$pre: the build list's first icon differs" first_${pre}_buildlist $FIRSTICON
  before=$(sounds "$victory")
  click $CHOOSE
  game_menu "$pre"
  click $CONTINUE
  # The harvester's round trip takes minutes of game time.
  _timeout=$XS_TIMEOUT
  XS_TIMEOUT=$((XS_TIMEOUT * 6))
  wait_sound "$victory" "$before" "$pre: the mission was not won (no victory voice $victory)"
  XS_TIMEOUT=$_timeout
  wait_region "$pre: the victory screen is not shown" first_${pre}_victory $WHOLE
  click $YES
  wait_region "$pre: the score's headings are not shown" first_${pre}_score $HEADINGS
  wait_region "$pre: the score's button is not shown" first_${pre}_score $YESBUTTON
  # On to mission 2, then by the game menu to the next faction.
  click $YES2
  wait_region "$pre: the briefing of mission 2 is not shown" first_${pre}_briefing2 $WHOLE
  click $BEGIN
  game_menu "$pre"
  click $NEW_FACTION
done
kill -0 "$APID" 2>/dev/null || fail "the program ended during play"

echo "xvfb_first_missions: passed (mission 1 of alm, tel and gor from the faction choice to victory and score, as the help says)"
exit 0
