#!/bin/sh
# The editors in the real program under a virtual X display with the SDL back end, driven by
# the pointer and the keys as a player drives them. Every step waits for the screen it should
# bring (compared with the pictures that test_shell pins, or a stated change in the picture) and
# every file is checked on disk.
#
# Map editor ("-editor", full screen on a 640 x 400 display): a new 64 x 64 map; ground, rock,
# sand, resource cells and a bloom painted with held buttons; saved (size 4 + 64*64 + 6600, the
# painted classes and the placements in the file); a new map; the saved one loaded back (the
# painted area as before).
# Scenario editor ("-debug" and F6, a 640 x 400 window): a new scenario on that map; units, a
# building and a worm placed; players, goal, availability, credits and side set; saved; loaded
# and saved again under another name: the same bytes; saved under the name of the first mission
# of player 1's side and started as a game from the main menu, as a player starts it: the
# play screen shows the placed building at its cell.
#
#   tests/shell/editors_xcheck.sh <zarn> <game folder> <test_shell> <golden folder>
#
# Exit 0: passed; 1: failed. Pictures that differ are kept in <golden folder>/xcheck/.
set -u

BIN=${1:?usage: editors_xcheck.sh <zarn> <game folder> <test_shell> <golden folder>}
GAME=${2:?usage}
TESTS=${3:?usage}
GOLDEN=${4:?usage}
SRC=$(cd "$(dirname "$0")/../.." && pwd)
. "$SRC/tests/common/xsession.sh"
xs_need_tools import compare convert od cmp awk || exit 1
xs_session editors_xcheck log
fail() { xs_failed "$@"; }
KEEP="$GOLDEN/xcheck"
keep_last() {
  mkdir -p "$KEEP" && [ -f "$WORK/shot.png" ] && cp "$WORK/shot.png" "$KEEP/last.png" &&
    echo "  last screen kept in $KEEP/last.png"
}
XS_ON_FAIL=keep_last

# The editors' pictures, and the faction choice that starts the scenario as a mission.
# The main menu's start-up picture goes to the test output folder beside the golden one.
ZARN_PLATFORM=null ZARN_GOLDEN_WRITE=1 "$TESTS" \
  --gtest_filter='EditorDrawTest.*:CampaignPicturesTest.FactionChoice*:*StartsUpToTheMainMenu*' >/dev/null 2>&1 ||
  fail "the pinned editor, faction choice and main menu pictures do not hold"
MAINMENU="$GOLDEN/../test_out/startup_mainmenu.png"
[ -f "$MAINMENU" ] || fail "no main menu picture $MAINMENU"

# Polls a command (a screenshot and a comparison take a while) until it succeeds or
# WAIT_SECONDS pass.
WAIT_SECONDS=${WAIT_SECONDS:-40}
poll() { XS_TIMEOUT=$WAIT_SECONDS xs_until "$@"; }

launch() {
  (cd "$WORK/game" && exec env ZARN_PLATFORM=sdl SDL_AUDIODRIVER=dummy ./zarn "$@") >"$WORK/log" 2>&1 &
  APID=$!
  xs_wait_window "$APID" || fail "no window"
  WIN=$XS_WINDOW
}

# The picture's pixel (x, y) of 320 x 200 is the window's (2x, 2y).
pt() { xdotool mousemove --window "$WIN" $(($1 * 2)) $(($2 * 2)); }
click() { pt "$1" "$2"; xdotool click 1; }
# Keys go to the focused window: the pointer rests on the program's window.
key() { xdotool key "$@"; }
shot() { import -window "$WIN" "$WORK/shot.png" 2>/dev/null; }
# Crop of the picture's rectangle x, y, width, height (in 320 x 200 pixels) of a screenshot.
crop() { convert "$1" -crop "$(($4 * 2))x$(($5 * 2))+$(($2 * 2))+$(($3 * 2))" +repage "$6"; }
differs() { # differs A B: the number of pixels that differ beyond a small fuzz
  compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 | sed 's/[^0-9].*//'
}

# Waits until the screen's rectangle equals the pinned picture's (doubled).
_matches() {
  # The pointer rests where it lights no button (moved again: the window may still be taking
  # its place on the screen).
  pt "$REST_X" "$REST_Y"
  shot || return 1
  crop "$WORK/shot.png" "$2" "$3" "$4" "$5" "$WORK/got.png" || return 1
  [ "$(differs "$WORK/want.png" "$WORK/got.png")" = "0" ]
}
REST_X=2
REST_Y=2
wait_screen() { # wait_screen NAME x y w h (the picture golden/NAME.png, or PICTURE when set)
  convert "${PICTURE:-$GOLDEN/$1.png}" -scale 200% -crop "$(($4 * 2))x$(($5 * 2))+$(($2 * 2))+$(($3 * 2))" +repage \
    "$WORK/want.png" || fail "no pinned picture $1"
  poll _matches "$@" || { mkdir -p "$KEEP"; cp "$WORK/got.png" "$KEEP/$1.png"; fail "the screen is not $1 (kept $KEEP/$1.png)"; }
}

# Waits until the rectangle differs from the same rectangle of a saved screenshot.
_changed() {
  shot || return 1
  crop "$WORK/shot.png" "$2" "$3" "$4" "$5" "$WORK/now.png" || return 1
  crop "$1" "$2" "$3" "$4" "$5" "$WORK/then.png" || return 1
  [ "$(differs "$WORK/then.png" "$WORK/now.png")" != "0" ]
}
wait_changed() { # wait_changed BEFORE.png x y w h what
  _what=$6
  poll _changed "$1" "$2" "$3" "$4" "$5" || fail "$_what did not change the screen"
}
# A screenshot once the screen has settled: two shots in a row alike in the rectangle (a shot
# takes longer than a frame, so a frame drawn after the last pointer move is in it).
_settled() {
  shot && cp "$WORK/shot.png" "$WORK/a.png" && crop "$WORK/a.png" "$2" "$3" "$4" "$5" "$WORK/ca.png" || return 1
  shot && crop "$WORK/shot.png" "$2" "$3" "$4" "$5" "$WORK/cb.png" || return 1
  [ "$(differs "$WORK/ca.png" "$WORK/cb.png")" = "0" ] && cp "$WORK/shot.png" "$1"
}
settle() { # settle OUT.png x y w h
  poll _settled "$@" || fail "the screen did not settle for $1"
}
MAPAREA="0 0 320 157"

# save_as SAVE_SCREEN MENU NAME: the menu's save button, the name typed over the one offered,
# then back on the menu.
save_as() {
  click 60 92
  pt 2 2
  wait_screen "$1" 0 8 320 24
  key --repeat 30 BackSpace
  xdotool type "$3"
  key Return
  wait_menu "$2"
}
wait_menu() { wait_screen "$1" 42 49 234 104; }
# The editor's menu, opened with Escape from the editing screen.
open_menu() { key Escape; pt 2 2; wait_menu "$1"; }

cell_x() { echo $((($1 - 1) * 16)); }
cell_y() { echo $((($1 - 1) * 16)); }
at_cell() { pt $(($(cell_x "$1") + 8)) $(($(cell_y "$2") + 8)); }
# Waits until cell (x, y) of the view differs from a saved screenshot.
wait_cell() { wait_changed "$1" "$(cell_x "$2")" "$(cell_y "$3")" 16 16 "$4"; }

# The pointer rests near a cell's lower right corner; the middle of the cell (where a lone
# ground tile, whose edges blend into the sand, shows) is free of the brush outline.
at_cell_corner() { pt $(($(cell_x "$1") + 13)) $(($(cell_y "$2") + 13)); }
wait_cell_inner() { wait_changed "$1" $(($(cell_x "$2") + 3)) $(($(cell_y "$3") + 4)) 9 7 "$4"; }

# A held button over a row of cells: each cell painted (seen on the screen) before the
# pointer moves on; one frame or more on each cell. A lone ground cell blends into the sand
# until its neighbour is ground too, so the first of several cells is looked at last.
# A cell that does not show its paint is tried again, at most three times: a lone ground cell
# blends into the sand, so when the pointer left the cell before it before a frame painted
# that one, the button is pressed again on the cell before, held until the screen has settled
# (frames have been drawn), and brought back.
_cell_inner_changed() { _changed "$1" $(($(cell_x "$2") + 3)) $(($(cell_y "$3") + 4)) 9 7; }
wait_painted() { # wait_painted BUTTON BEFORE.png x y what [previous x y]
  for _try in 1 2 3; do
    WAIT_SECONDS=10 poll _cell_inner_changed "$2" "$3" "$4" && return 0
    echo "editors_xcheck: $5: pressing again"
    xdotool mouseup "$1"
    if [ $# -ge 7 ]; then
      at_cell_corner "$6" "$7"
      xdotool mousedown "$1"
      settle "$WORK/held.png" $MAPAREA
    else
      xdotool mousedown "$1"
    fi
    at_cell_corner "$3" "$4"
  done
  wait_cell_inner "$2" "$3" "$4" "$5"
}
drag() { # drag BUTTON BEFORE.png what x1 y1 x2 y2 ...
  _b=$1 _before=$2 _what=$3
  shift 3
  _fx=$1 _fy=$2 _n=$(($# / 2)) _i=0 _px="" _py=""
  at_cell_corner "$1" "$2"
  xdotool mousedown "$_b"
  while [ $# -ge 2 ]; do
    _i=$((_i + 1))
    at_cell_corner "$1" "$2"
    if [ "$_i" -gt 1 ]; then
      wait_painted "$_b" "$_before" "$1" "$2" "$_what at ($1, $2)" "$_px" "$_py"
    elif [ "$_n" -eq 1 ]; then
      wait_painted "$_b" "$_before" "$1" "$2" "$_what at ($1, $2)"
    fi
    _px=$1 _py=$2
    shift 2
  done
  xdotool mouseup "$_b"
  # The pointer may have left the first cell before a frame saw the button held there: then
  # that cell is pressed on its own (now that its neighbour is painted, it shows).
  if [ "$_n" -gt 1 ] && ! WAIT_SECONDS=10 poll _cell_inner_changed "$_before" "$_fx" "$_fy"; then
    at_cell_corner "$_fx" "$_fy"
    xdotool mousedown "$_b"
    wait_painted "$_b" "$_before" "$_fx" "$_fy" "$_what at ($_fx, $_fy)"
    xdotool mouseup "$_b"
  fi
  return 0
}
byte_at() { od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '; }
class_at() { echo $(($(byte_at "$1" $((4 + ($3 - 1) * 64 + ($2 - 1)))) >> 5)); }
le32_at() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }

xs_fresh_game "$GAME" "$BIN"

# ---------------- Map editor ----------------
xs_start 640x400 || fail "no X session"
launch -editor
pt 2 2
wait_menu map_editor_menu

click 60 56
pt 2 2
wait_screen new_map 19 16 290 94
click 50 183  # accept: 64 x 64, the bars' start
pt 2 2
wait_menu map_editor_menu
click 200 146  # edit
REST_X=200 REST_Y=185 wait_screen map_editor 259 159 60 40
pt 200 185  # over the panel: no brush outline on the map
settle "$WORK/sand.png" $MAPAREA

click 280 162  # ground
drag 1 "$WORK/sand.png" "ground" 3 5 4 5 5 5 6 5
pt 200 185
settle "$WORK/ground.png" $MAPAREA
click 280 170  # mountains
# Rock is looked for against the ground it covers: against the sand the cells differ already.
drag 1 "$WORK/ground.png" "rock" 4 5 5 5
pt 200 185
settle "$WORK/rock.png" $MAPAREA
drag 3 "$WORK/rock.png" "sand" 3 5
click 280 178  # resource cells
drag 1 "$WORK/sand.png" "resource" 8 7 9 7 10 7
click 280 186  # blooms: one a click
at_cell 12 9
xdotool click 1
at_cell 12 7
wait_cell "$WORK/sand.png" 12 9 "the bloom"
pt 200 185
settle "$WORK/painted.png" $MAPAREA

open_menu map_editor_menu
save_as save_map map_editor_menu xdesert
MAP="$WORK/game/maps/xdesert.map"
[ -f "$MAP" ] || fail "no maps/xdesert.map"
SIZE=$(wc -c <"$MAP")
[ "$SIZE" -eq $((4 + 64 * 64 + 6600)) ] || fail "the map file holds $SIZE bytes"
[ "$(class_at "$MAP" 3 5)" -eq 0 ] || fail "cell (3, 5) is not sand"
[ "$(class_at "$MAP" 4 5)" -eq 1 ] && [ "$(class_at "$MAP" 5 5)" -eq 1 ] || fail "cells (4..5, 5) are not rock"
[ "$(class_at "$MAP" 6 5)" -eq 4 ] || fail "cell (6, 5) is not ground"
[ "$(class_at "$MAP" 7 5)" -eq 0 ] || fail "cell (7, 5) was painted"
KINDS=$(od -An -tu1 -v -j $((4 + 64 * 64)) -w6 "$MAP" | awk '$1 == 1 { f++ } $1 == 2 { b++ } END { print f + 0, b + 0 }')
[ "$KINDS" = "3 1" ] || fail "the map stores (fields, blooms) = ($KINDS), not (3 1)"

click 60 56  # a new empty map
pt 2 2
wait_screen new_map 19 16 290 94
click 50 183
pt 2 2
wait_menu map_editor_menu
click 60 74  # load: the newest map is chosen
pt 2 2
wait_screen load_map 0 8 320 24
key Return
wait_menu map_editor_menu
click 200 146
REST_X=200 REST_Y=185 wait_screen map_editor 259 159 60 40
pt 200 185
crop "$WORK/painted.png" 32 64 192 90 "$WORK/want.png"
_back() { shot && crop "$WORK/shot.png" 32 64 192 90 "$WORK/got.png" && [ "$(differs "$WORK/want.png" "$WORK/got.png")" = "0" ]; }
poll _back || { mkdir -p "$KEEP"; cp "$WORK/got.png" "$KEEP/loaded_map.png"; cp "$WORK/want.png" "$KEEP/painted_map.png"; fail "the loaded map does not show what was painted"; }
xs_kill "$APID"
APID=""
xs_cleanup

# ---------------- Scenario editor ----------------
xs_start 1024x768 || fail "no X session"
launch -debug
key F6
pt 2 2
wait_menu scenario_editor_menu
click 60 56  # new scenario: the newest map
pt 2 2
wait_screen load_map 0 8 320 24
key Return
wait_menu scenario_editor_menu
click 200 146  # edit
REST_X=200 REST_Y=185 wait_screen scenario_editor_buildings 259 159 60 40
pt 200 185
settle "$WORK/empty.png" $MAPAREA

click 280 162  # units
click "$(($(cell_x 14) + 8))" "$(($(cell_y 4) + 8))"
click "$(($(cell_x 15) + 8))" "$(($(cell_y 4) + 8))"
pt 200 185
wait_changed "$WORK/empty.png" 1 10 70 8 "the units' count"
wait_cell "$WORK/empty.png" 15 4 "the second unit"
click 280 170  # buildings: the third of the strip
click 150 185
click "$(($(cell_x 16) + 8))" "$(($(cell_y 7) + 8))"
pt 200 185
wait_changed "$WORK/empty.png" 1 19 70 8 "the buildings' count"
click 280 178  # worms
click "$(($(cell_x 9) + 8))" "$(($(cell_y 9) + 8))"
pt 200 185
wait_changed "$WORK/empty.png" 1 28 70 8 "the worms' count"

open_menu scenario_editor_menu
click 60 128  # settings: three players, goal 2
pt 2 2
wait_screen scenario_settings 16 8 300 190
click 200 117
click 200 149
click 50 183
pt 2 2
wait_menu scenario_editor_menu
cp "$WORK/shot.png" "$WORK/menu.png"  # the menu, as wait_screen saw it
click 60 110  # enabled objects: the first row's tick
pt 2 2
wait_changed "$WORK/menu.png" 42 49 234 104 "the enabled-objects screen"
settle "$WORK/objects.png" 33 52 254 108
click 40 60
pt 2 2
wait_changed "$WORK/objects.png" 33 52 30 12 "the tick of the first row"
click 70 178
pt 2 2
wait_menu scenario_editor_menu
click 200 146
REST_X=200 REST_Y=185 wait_screen scenario_editor_buildings 259 159 60 40
cp "$WORK/shot.png" "$WORK/mode0.png"
click 280 194  # credits and side of player 1
pt 200 185
wait_changed "$WORK/mode0.png" 74 164 176 32 "the credits mode"
settle "$WORK/mode4.png" 160 160 90 12
click 240 176
click 240 192
pt 200 185
wait_changed "$WORK/mode4.png" 160 160 90 12 "the credits"
click 280 162  # back to units: the side goes to player 1

open_menu scenario_editor_menu
save_as save_scenario scenario_editor_menu xmission
SCN="$WORK/game/scenes/xmission.scn"
[ -f "$SCN" ] || fail "no scenes/xmission.scn"
SIZE=$(wc -c <"$SCN")
[ "$SIZE" -eq $((260 + 4 + 3 * 8)) ] || fail "the scenario holds $SIZE bytes, not 1 worm, 2 units, 1 building"
[ "$(le32_at "$SCN" 148)" -eq 1000 ] || fail "player 1's credits are $(le32_at "$SCN" 148)"
[ "$(byte_at "$SCN" 180)" -eq 2 ] || fail "player 1's side is $(byte_at "$SCN" 180)"
[ "$(le32_at "$SCN" $((188 + 24)))" -eq 3 ] || fail "the player count is $(le32_at "$SCN" $((188 + 24)))"
[ "$(le32_at "$SCN" $((188 + 32)))" -eq 2 ] || fail "the goal is $(le32_at "$SCN" $((188 + 32)))"
[ "$(byte_at "$SCN" $((188 + 36)))" -eq 1 ] || fail "kind 1 is not available"
HEAD=$(od -An -c -j 13 -N 11 "$SCN" | tr -d ' ')
[ "$HEAD" = "xdesert.map" ] || fail "the scenario names the map $HEAD"

click 60 74  # load it again (the newest), then save under another name
pt 2 2
wait_screen load_scenario 0 8 320 24
key Return
wait_menu scenario_editor_menu
save_as save_scenario scenario_editor_menu xcopy
[ -f "$WORK/game/scenes/xcopy.scn" ] || fail "no scenes/xcopy.scn"
cmp -s "$SCN" "$WORK/game/scenes/xcopy.scn" || fail "the scenario loaded and saved again differs"

# ---------------- The scenario as a game ----------------
# A mission is the scenario file named by the side of player 1 and the mission number: saved
# as "tel1" (player 1 is side 2), the Telix choice of a new game starts it.
save_as save_scenario scenario_editor_menu tel1
cmp -s "$SCN" "$WORK/game/scenes/tel1.scn" || fail "the scenario saved as tel1 differs"
cp "$WORK/shot.png" "$WORK/menu.png"
click 80 146  # exit to the main menu
pt 2 2
# The main menu animates: its button column, which does not, is what is waited on.
PICTURE=$MAINMENU wait_screen mainmenu 193 66 101 114
click 242 74  # new game
pt 2 2
wait_screen campaign_faction 19 68 282 63
cp "$WORK/shot.png" "$WORK/faction.png"
click 160 100  # Telix
pt 2 2
# The briefing: the begin button where the faction choice is black.
wait_changed "$WORK/faction.png" 104 168 115 16 "the faction choice"
settle "$WORK/briefing.png" 104 168 115 16
click 160 176  # begin
pt 200 185  # over the panel: the pointer at the map's edge would scroll it
# Play on that scenario: the view centred on the first unit, (14, 4), starts at column 4 (row
# 1); the building drawn at its cell as the editor drew it, and the painted rock of cells
# (4..5, 5), far from the player's objects, under the shroud (black) that the editor does not
# draw.
play_x() { echo $((($1 - 4) * 16)); }
crop "$WORK/mode0.png" "$(cell_x 16)" "$(cell_y 7)" 32 32 "$WORK/building.png"
convert -size 64x32 xc:black "$WORK/black.png"
_playing() {
  shot && crop "$WORK/shot.png" "$(play_x 16)" "$(cell_y 7)" 32 32 "$WORK/got.png" &&
    crop "$WORK/shot.png" "$(play_x 4)" "$(cell_y 5)" 32 16 "$WORK/rockcells.png" &&
    [ "$(differs "$WORK/building.png" "$WORK/got.png")" = "0" ] &&
    [ "$(differs "$WORK/black.png" "$WORK/rockcells.png")" = "0" ]
}
poll _playing || {
  mkdir -p "$KEEP"
  cp "$WORK/got.png" "$KEEP/play_building.png"
  cp "$WORK/building.png" "$KEEP/editor_building.png"
  cp "$WORK/rockcells.png" "$KEEP/play_rock_cells.png"
  fail "play did not begin on the scenario: no shrouded map with the building at (16, 7) (kept $KEEP/play_*.png)"
}
kill -0 "$APID" 2>/dev/null || fail "the program ended in play"

echo "editors_xcheck: passed (map painted, saved, loaded; scenario placed, set, saved, loaded byte for byte, started as a game)"
exit 0
