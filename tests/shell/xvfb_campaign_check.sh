#!/bin/sh
# The campaign in the real program under a virtual X display with the SDL back end, driven by
# clicks and keys: main menu -> faction choice (the faction's voice) -> briefing -> play -> Esc
# to the in-game menu and back -> victory (Alt+W, the debug entry) -> score -> the next
# mission's briefing. Each step's screenshot, halved to 320 x 200, must match the picture that
# test_shell pins for it (written by test_shell on request); a differing shot is kept.
#
#   tests/shell/xvfb_campaign_check.sh <zarn> <game folder> <test_shell> <build folder>
#
# Exit 0: passed; 1: failed.
set -u

BIN=${1:?usage: xvfb_campaign_check.sh <zarn> <game folder> <test_shell> <build folder>}
GAME=${2:?usage}
TESTS=${3:?usage}
BUILD=${4:?usage}
SRC=$(cd "$(dirname "$0")/../.." && pwd)
. "$SRC/tests/common/xsession.sh"
xs_need_tools import convert compare xdotool || exit 1
xs_session xvfb_campaign_check log
fail() { xs_failed "$@"; }

GOLDEN="$BUILD/golden"
OUT="$BUILD/test_out"
mkdir -p "$OUT"
ZARN_PLATFORM=null ZARN_GOLDEN_WRITE=1 "$TESTS" \
  --gtest_filter='*CampaignPictures*:*StartsUpToTheMainMenu*' >/dev/null 2>&1 \
  || fail "the pinned pictures do not hold"

xs_start 1024x768 || fail "no X session"
xs_fresh_game "$GAME" "$BIN"
rm -f "$WORK/game/save/"* 2>/dev/null
# "-debug": a 640 x 400 window (the picture doubled) and the debug keys; the window in W.
launch() {
  (cd "$WORK/game" && exec env ZARN_PLATFORM=sdl SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw" \
     ZARN_TRACE_SOUND=1 ./zarn -debug) >"$WORK/log" 2>&1 &
  APID=$!
  xs_wait_window "$APID" || fail "no window"
  W=$XS_WINDOW
}
launch

# In 320 x 200 coordinates of the game.
click() { xdotool mousemove --window "$W" $(($1 * 2 + 1)) $(($2 * 2 + 1)) click 1; park; }
park() { xdotool mousemove --window "$W" 620 390; }
key() { xdotool windowfocus "$W" 2>/dev/null; xdotool key --window "$W" "$1"; }

# shot_matches NAME [CROP]: the window's picture, halved, equals golden/NAME.png (in CROP, a
# geometry of the 320 x 200 picture, when given).
shot_matches() {
  import -window "$W" "$WORK/shot.png" 2>/dev/null || return 1
  convert "$WORK/shot.png" -sample 50% "$WORK/small.png" || return 1
  if [ -n "${2:-}" ]; then
    convert "$WORK/small.png" -crop "$2" +repage "$WORK/got.png" || return 1
    convert "$GOLDEN/$1.png" -crop "$2" +repage "$WORK/want.png" || return 1
  else
    cp "$WORK/small.png" "$WORK/got.png"
    cp "$GOLDEN/$1.png" "$WORK/want.png"
  fi
  [ "$(compare -metric AE -fuzz 6% "$WORK/want.png" "$WORK/got.png" null: 2>&1)" = "0" ]
}
expect_shot() {
  if ! xs_until shot_matches "$@"; then
    cp "$WORK/small.png" "$OUT/xcampaign_$1.png" 2>/dev/null
    fail "the screen does not show $1 (kept as $OUT/xcampaign_$1.png)"
  fi
  echo "xvfb_campaign_check: $1 shown"
}

[ -f "$OUT/startup_mainmenu.png" ] && cp "$OUT/startup_mainmenu.png" "$GOLDEN/mainmenu.png"
park
expect_shot mainmenu 101x114+193+66
click 242 74
expect_shot campaign_faction
click 60 100
xs_wait_log "$WORK/log" '^sound 100 96$' || fail "the first faction's voice (96) was not played"
expect_shot campaign_briefing1
click 160 176
key Escape
expect_shot campaign_gamemenu
key Escape
key alt+w
expect_shot campaign_victory
# Two clicks on one spot within half a second would pair into a double click.
click 150 168
# The score's statistics follow the game: its headings and its button are fixed.
expect_shot campaign_score 300x12+5+16
expect_shot campaign_score 36x16+142+160
click 170 168
expect_shot campaign_briefing2

# A defeat (Alt+L): the score, then the same mission again.
click 160 176
key alt+l
expect_shot campaign_defeat
click 150 168
expect_shot campaign_score 300x12+5+16
click 170 168
expect_shot campaign_briefing2
xs_kill "$APID"
APID=""

# The last mission, loaded from the main menu's load screen and won: the authors screen, then
# a click back to the main menu.
cp "$GOLDEN/lastmission.sav" "$WORK/game/save/" || fail "no saved last mission"
launch
park
expect_shot mainmenu 101x114+193+66
click 242 94
click 80 60
click 79 178
key alt+w
expect_shot campaign_victory
click 150 168
expect_shot campaign_score 300x12+5+16
click 170 168
expect_shot campaign_authors 200x30+60+8
click 100 100
expect_shot mainmenu 101x114+193+66
kill -0 "$APID" 2>/dev/null || fail "the program ended"
echo "xvfb_campaign_check: passed (main menu, faction choice with voice 96, briefing, play, in-game menu, victory, score, next briefing; defeat, score, the same briefing; the last mission loaded and won, the authors, the main menu)"
exit 0
