#!/bin/sh
# The real program under a virtual 640 x 400 X display with the SDL back end plays the first
# steps of a mission: started through the test entry on a scenario of the demo data set, it
# gets the harvester sent to a field, the yard selected, its build menu opened, a power plant
# bought and placed. Each step is checked in a screenshot against the
# picture that the headless run of the same clicks pins (test_shell, MissionEntryTest), in
# the screen regions that show the step; the pictures are kept when a check fails.
#
#   tests/shell/xvfb_mission.sh <zarn> <game folder> <test_shell> <pictures folder>
#
# Exit 0: passed; 1: failed (with the reason).
set -u

usage="usage: xvfb_mission.sh <zarn> <game folder> <test_shell> <pictures folder>"
BIN=${1:?$usage}
GAME=${2:?$usage}
TESTS=${3:?$usage}
PICS=${4:?$usage}
. "$(dirname "$0")/../common/xsession.sh"
xs_need_tools import compare convert xdotool || exit 1
xs_session xvfb_mission log
fail() { xs_failed "$@"; }

ZARN_PLATFORM=null "$TESTS" --gtest_filter='MissionEntryTest.AMissionIsPlayedFromItsFirstClicks' >/dev/null 2>&1 \
  || fail "the headless run of the same clicks does not pass"
[ -f "$PICS/points.sh" ] || fail "no $PICS/points.sh"
. "$PICS/points.sh"

KEEP="$PICS/x"
. "$(dirname "$0")/xregions.sh"

# Regions of the 320 x 200 picture.
INFO="66 164 190 36"        # the panel's caption, picture and status line of the selection
NAMEPIC="66 164 44 36"      # the panel's caption and picture only (a harvester's load moves)
NAMEBAR="72 20 248 21"      # the build menu's name and price of the selected kind
MENUTOP="60 0 200 18"       # the build menu's repeat box and credits
KINDPIC="74 49 156 92"      # the build menu's picture of the selected kind
CREDITS="200 2 60 16"       # the credits on the map's status line
COMMANDS="256 186 64 13"    # the command column's production line
PLANT="176 96 32 17"        # cells (12, 7) to (13, 8) in the view (1, 1), short of the lower right
PLANTLOW="176 113 16 15"    # where the placed plant's selection corner pulses
LOADTEXT="110 172 34 12"    # "ПОЛОН НА" of a harvester with a load, without its figure,
                            # which moves on while the screen is looked at


xs_start 640x400 || fail "no X session"
xs_fresh_game "$GAME" "$BIN"
printf '[Options]\nMusicEnable=0\nSoundEnable=0\nGameSpeed=17\n' >"$WORK/game/zarn.ini"
# The pointer rests on the map, where it scrolls nothing.
xdotool mousemove $REST
(cd "$WORK/game" && exec env ZARN_PLATFORM=sdl SDL_AUDIODRIVER=dummy ZARN_TEST_SCENARIO=alm1.scn ./zarn) \
  >"$WORK/log" 2>&1 &
APID=$!
xs_wait_window "$APID" || fail "the program's window never appeared"

# In play, with the harvester selected; sent to the field in sight by the right button, it
# fills up there.
click $MINIMAP_OPENING
wait_region "the mission did not start with the harvester selected" play $NAMEPIC
rclick $FIELD
wait_region "the harvester did not reach the field and load" harvesting $LOADTEXT
# The yard, seen after a click on the minimap's corner.
click $MINIMAP_BASE
click $YARD
wait_region "a click on the yard did not select it" yard $INFO
# Its build menu, then the last kind of the list: the power plant.
click $BUILD_MENU
wait_region "the yard's build menu did not open" menu $MENUTOP
wait_region "the yard's build menu does not show its first kind" menu $NAMEBAR
click $BACK_ARROW
wait_region "the back arrow did not select the power plant" powerplant $NAMEBAR
wait_region "the power plant's picture is not shown" powerplant $KINDPIC
# Bought: the credits fall by its price and the yard builds it.
click $ORDER
wait_region "the order did not take the price from the credits" ordered $CREDITS
wait_region "the order did not return to play with the yard selected" ordered $INFO
wait_region "the power plant was never ready to place" ready $COMMANDS 40
# Placed at its cell.
click $PLACE
click $PLANT_CELL
wait_region "no power plant stands at its cell" placed $PLANT
wait_region "no power plant stands at its cell" placed $PLANTLOW
kill -0 "$APID" 2>/dev/null || fail "the program ended during play"

echo "xvfb_mission: passed (play, harvester loading at the field in sight, yard, build menu, power plant bought, placed)"
exit 0
