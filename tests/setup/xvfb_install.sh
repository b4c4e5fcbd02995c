#!/bin/sh
# The real installer under a virtual X display, driven by clicks and keys, with HOME in a
# temporary folder. Each page is checked in a screenshot by stated pixel properties (the PNG is
# kept in the output folder when a check fails).
#
#   xvfb_install.sh pages <zarn3set> <out folder>
#       the window maximised with its picture from corner to corner, the pages centred in it,
#       the pages in order and back, a folder that cannot be made (the page stays with its
#       message), leaving by "Выйти", and a missing archive (its message, status 1); no
#       launcher is left by any of them. The folder page by keys: the folder list walked and
#       opened (its focused row framed), the edit line edited inside its text (the caret
#       shown); TERM ends the installer within a second, on any page.
#   xvfb_install.sh full <zarn3set> <out folder> <zarn3.rar> <libunrar.so> <packed folder> <test_setup>
#       all of the above, then a real install into a long path: the progress window's file
#       line caught with the installer stopped and compared with the same line drawn by
#       test_setup (one line, the file's name at its end), progress rising to 100 % for every
#       file, the files byte for byte as packed, both launchers (valid desktop entries), the
#       installed game starting from its launcher; and a full target (a file-size limit)
#       failing with the closing page's failure text and no launcher; last, the display
#       killed under the installer and the installed game, which must both end (the
#       installer within a second) with status 1.
#
# Exit 0: passed; 1: failed.
set -u
MODE=${1:?usage: xvfb_install.sh pages|full <zarn3set> <out> [zarn3.rar libunrar.so packed]}
BIN=${2:?zarn3set}
OUT=${3:?out folder}
RAR=${4:-}
LIB=${5:-}
PACKED=${6:-}
TESTS=${7:-}
SRC=$(cd "$(dirname "$0")/../.." && pwd)
. "$SRC/tests/common/xsession.sh"
xs_need_tools import convert compare xdotool || exit 1
xs_session xvfb_install installer:log
fail() { xs_failed "$@"; }
mkdir -p "$OUT"

at() { echo "$(($1)) $(($2))"; }
# Page geometry: the window is maximised and every page centred in it; a page's widgets sit 22
# pixels under its title bar. Taken once the installer has drawn at the size the window has.
layout() {
  PX=$(((WW - 536) / 2))  # left of every page
  PY=$(((WH - 348) / 2))  # top of the 348-pixel pages
  FY=$(((WH - 226) / 2))  # top of the closing page (226 pixels high)
  START="$(at $PX+330+45 $PY+22+286+14)"
  QUIT="$(at $PX+430+45 $PY+22+286+14)"
  NEXT="$(at $PX+430+45 $PY+22+286+14)"
  BACK="$(at $PX+330+45 $PY+22+286+14)"
  EDIT="$(at $PX+76+200 $PY+22+252)"
  DONE="$(at $PX+223+45 $FY+22+160+14)"
}
_settled() {
  eval "$(xdotool getwindowgeometry --shell "$WIN")" || return 1
  [ "$(grep '^zarn3set: window ' "$WORK/log" | tail -n 1)" = "zarn3set: window $WIDTH x $HEIGHT" ] || return 1
  WW=$WIDTH
  WH=$HEIGHT
}
settle() {
  xs_until _settled || fail "the installer did not draw at its window's size: $(grep '^zarn3set: window ' "$WORK/log" | tail -n 1)"
  layout
}

# A fresh installation medium and a fresh home for each run.
fresh() {
  rm -rf "$WORK/media" "$WORK/home"
  mkdir -p "$WORK/media" "$WORK/home/Desktop"
  cp "$BIN" "$WORK/media/zarn3set"
  [ -n "$RAR" ] && [ "${NO_ARCHIVE:-0}" = 0 ] && cp "$RAR" "$WORK/media/zarn3.rar"
  [ -n "$LIB" ] && cp "$LIB" "$WORK/media/"
  : >"$WORK/log"
}

launch() {
  (cd "$WORK/media" && exec env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$WORK/home" \
     ZARN_PLATFORM=sdl SDL_AUDIODRIVER=dummy ZARN3SET_TRACE=1 ${LIMIT:+sh -c "ulimit -f $LIMIT; exec ./zarn3set"} \
     ${LIMIT:-./zarn3set}) >>"$WORK/log" 2>&1 &
  APID=$!
  xs_wait_window "$APID" || fail "no installer window"
  WIN=$XS_WINDOW
  settle
}

# The n-th "shown PAGE" line of the trace (counting from 1).
_shown() { [ "$(grep -c "^zarn3set: shown $1\$" "$WORK/log")" -ge "$2" ]; }
wait_page() {
  xs_until _shown "$1" "${2:-1}" || fail "page $1 (time ${2:-1}) was not shown"
}

# Colour of a window pixel as "r g b".
pixel() {
  convert "$WORK/shot.png" -format "%[fx:int(255*p{$1,$2}.r+0.5)] %[fx:int(255*p{$1,$2}.g+0.5)] %[fx:int(255*p{$1,$2}.b+0.5)]" info:
}
# near R G B r g b: within 10 per channel (the window is 16-bit).
near() {
  [ $(( ($1-$4)*($1-$4) < 100 && ($2-$5)*($2-$5) < 100 && ($3-$6)*($3-$6) < 100 )) = 1 ]
}
# check NAME "x y want-r want-g want-b" ...: every point must hold; screenshots are retaken for
# a bounded time in case the picture reaches the X server after the trace line.
_props() {
  import -window "$WIN" "$WORK/shot.png" 2>/dev/null || return 1
  for p in "$@"; do
    set -- $p
    if [ "$1" = "!" ]; then  # "! x y r g b": anything but that colour
      shift
      got=$(pixel "$1" "$2") || return 1
      # shellcheck disable=SC2086
      ! near $got "$3" "$4" "$5" || { LAST="($1,$2) is $got, wanted anything else"; return 1; }
      continue
    fi
    got=$(pixel "$1" "$2") || return 1
    # shellcheck disable=SC2086
    near $got "$3" "$4" "$5" || { LAST="($1,$2) is $got, wanted $3 $4 $5"; return 1; }
  done
  return 0
}
check() {
  name=$1
  shift
  LAST=""
  if ! XS_TIMEOUT=10 xs_until _props "$@"; then
    cp "$WORK/shot.png" "$OUT/installer_$name.png" 2>/dev/null
    fail "screenshot of $name: $LAST (kept in $OUT/installer_$name.png)"
  fi
  cp "$WORK/shot.png" "$OUT/installer_$name.png"
}
click() {
  xdotool mousemove --window "$WIN" "$1" "$2" click 1 || fail "cannot click"
}
# Replaces the text of the edit line at (x, y).
type_into() {
  click "$1" "$2"
  xdotool key --window "$WIN" End
  xdotool key --window "$WIN" --repeat 90 --delay 5 BackSpace
  xdotool type --window "$WIN" --delay 100 "$3"
}
keys() { xdotool key --window "$WIN" --delay 30 "$@"; }

# Milliseconds on the clock.
ms() { date +%s%3N; }
# end_within T0 PID LIMIT: the process must end within LIMIT ms of T0; status in XS_STATUS,
# the time taken in TOOK.
end_within() {
  while kill -0 "$2" 2>/dev/null; do
    [ $(($(ms) - $1)) -gt "$3" ] && return 1
    sleep 0.01
  done
  TOOK=$(($(ms) - $1))
  wait "$2" 2>/dev/null
  XS_STATUS=$?
}

BLUE="10 36 106"   # title bars
FACE="212 208 200" # panels
WHITE="255 255 255"

SKY="16 40 120"    # the top of the pictures
SAND="218 179 116" # their bottom

# The pages: title bar, the panel, and each page's own controls. Around the welcome page, the
# background picture from corner to corner of the window.
check_welcome() {
  check welcome "$(at $PX+520 $PY+8) $BLUE" "$(at $PX+300 $PY+22+280) $FACE" \
    "$(at $PX+12+55 $PY+22+12) $SKY" "$(at $PX+12+55 $PY+22+12+255) $SAND" \
    "0 0 $SKY" "$(at $WW-1 0) $SKY" "$(at $WW-1 $WH-1) $SAND"
}
check_folder() {  # list and edit line white; no picture on this page
  check "folder$1" "$(at $PX+520 $PY+8) $BLUE" "$(at $PX+16+150 $PY+22+180) $WHITE" \
    "$(at $PX+76+430 $PY+22+252) $WHITE" "$(at $PX+12+55 $PY+22+12+255) $FACE"
}
check_group() {  # the desktop box is white with its check mark drawn through the centre
  check group "$(at $PX+520 $PY+8) $BLUE" "$(at $PX+16+1+1 $PY+22+264+1) $WHITE" \
    "$(at $PX+16+6 $PY+22+264+6) 0 0 0" "$(at $PX+16+150 $PY+22+180) $WHITE"
}
check_finish() {  # the short closing page: its own title bar, and no page above it
  check "finish$1" "$(at $PX+520 $FY+8) $BLUE" "$(at $PX+300 $FY+22+140) $FACE" \
    "! $(at $PX+300 $PY+8) $BLUE" "! $(at $PX+300 $PY+8) $FACE"
}

ended_with() {
  xs_wait_gone "$APID" || fail "the installer did not end"
  APID=""
  [ "$XS_STATUS" = "$1" ] || fail "the installer ended with $XS_STATUS, not $1"
}
# From a fresh start to the group page, with $1 typed as the install folder.
to_group() {
  launch
  wait_page welcome
  # shellcheck disable=SC2086
  click $START
  wait_page folder
  # shellcheck disable=SC2086
  type_into $EDIT "$1"
  # shellcheck disable=SC2086
  click $NEXT
  wait_page group
}
no_launchers() {
  found=$(find "$WORK/home" -name '*.desktop' 2>/dev/null)
  [ -z "$found" ] || fail "launchers left behind: $found"
}

xs_start 1024x768 || exit 1
# The Cyrillic letters typed below get keys of their own (F13 to F17, which nothing here
# uses): xdotool otherwise binds a spare key for each and unbinds it at once, and a program
# that reads the key after that (a loaded machine) loses the letter.
setxkbmap -print -layout us |
  sed 's|\(include "pc+us[^"]*"\)|\1\n  key <FK13> { [ Cyrillic_I ] }; key <FK14> { [ Cyrillic_ghe ] }; key <FK15> { [ Cyrillic_er ] }; key <FK16> { [ Cyrillic_yeru ] }; key <FK17> { [ Cyrillic_a ] };|' |
  xkbcomp - "$DISPLAY" 2>/dev/null
xkbcomp -xkb "$DISPLAY" - 2>/dev/null | grep -q "key <FK17> *{ *\[ *Cyrillic_a *\] *}" ||
  fail "the keys for the Cyrillic letters could not be set"

# 1. Pages in order, back again, a folder that cannot be made, and leaving.
fresh
launch
wait_page welcome
[ "$WW" -ge 1000 ] && [ "$WH" -ge 740 ] || fail "the window is $WW x $WH: not maximised on a 1024 x 768 screen"
check_welcome
# shellcheck disable=SC2086
click $START
wait_page folder
check_folder ""
# shellcheck disable=SC2086
type_into $EDIT "/proc/zarn3/Игра"
# shellcheck disable=SC2086
click $NEXT
xs_wait_log "$WORK/log" "message Не удалось создать папку /proc/zarn3/Игра: " || fail "no message for a folder that cannot be made"
xdotool key --window "$WIN" Return
wait_page folder 2
check_folder "_again"
# shellcheck disable=SC2086
type_into $EDIT "~/Игры/Zarn III"
# shellcheck disable=SC2086
click $NEXT
wait_page group
[ -d "$WORK/home/Игры/Zarn III" ] || fail "the install folder was not made"
check_group
# shellcheck disable=SC2086
click $BACK
wait_page folder 3
# shellcheck disable=SC2086
click $BACK
wait_page welcome 2
# shellcheck disable=SC2086
click $QUIT
ended_with 0
no_launchers
echo "xvfb_install: pages in order, back, a folder refused, leaving: passed"

# 1b. The folder page by keys. The list shows the program-files folder ("~/Games", or "/opt"
# for root) with ".." first. Three Tabs from the edit line reach the list, whose first row is
# then framed in dots; Down selects ".." (it climbed at once before) and Return opens it (the
# list is filled afresh, nothing selected). The edit line is then edited inside its text:
# Home shows the caret at its start and End takes it away, Delete and "~" put the first
# character back, and the "/" before "ZarnIII" becomes "_".
fresh
launch
wait_page welcome
# shellcheck disable=SC2086
click $START
wait_page folder
ROW0="$(at $PX+16+2 $PY+22+34+2)"  # the top left corner of the list's first row
ROW0_NEXT="$(at $PX+16+3 $PY+22+34+2)"
ROW0_RIGHT="$(at $PX+16+250 $PY+22+34+2+5)"  # inside the first row, right of any name
CARET_TOP="$(at $PX+76+4 $PY+22+240+3)"  # the caret's top at the edit line's start
# shellcheck disable=SC2086
click $EDIT
keys Tab Tab Tab
check list_focus "$ROW0 64 64 64" "$ROW0_NEXT $WHITE" "$ROW0_RIGHT $WHITE"
keys Down
check list_selected "$ROW0 64 64 64" "$ROW0_RIGHT $BLUE"
keys Return
check list_opened "$ROW0 64 64 64" "$ROW0_RIGHT $WHITE"
# shellcheck disable=SC2086
type_into $EDIT "~/Games/alpha/ZarnIII"
keys Home
check caret_home "$CARET_TOP 0 0 0"
keys End
check caret_end "$CARET_TOP $WHITE"
keys Left Left Left Left Left Left Left BackSpace underscore Home Delete asciitilde
# shellcheck disable=SC2086
click $NEXT
wait_page group
[ -d "$WORK/home/Games/alpha_ZarnIII" ] ||
  fail "the folder page's keys did not give ~/Games/alpha_ZarnIII: $(grep '^zarn3set: folder' "$WORK/log")"
# TERM on any page ends the installer within a second, with a message up too; it runs its
# ordinary clean-up (window, renderer, fonts).
# shellcheck disable=SC2086
click $BACK
wait_page folder 2
# shellcheck disable=SC2086
type_into $EDIT "relative"
# shellcheck disable=SC2086
click $NEXT
xs_wait_log "$WORK/log" "^zarn3set: message " || fail "no message for a relative folder"
T0=$(ms)
kill -TERM "$APID"
end_within "$T0" "$APID" 1000 || fail "TERM did not end the installer within a second (message up)"
APID=""
[ "$XS_STATUS" = 0 ] || fail "TERM ended the installer with $XS_STATUS, not 0"
echo "xvfb_install: the folder page by keys, TERM with a message up ($TOOK ms): passed"

# 2. A missing archive.
NO_ARCHIVE=1 fresh
to_group "~/game"
# shellcheck disable=SC2086
click $NEXT
xs_wait_log "$WORK/log" "message Ошибка, файл .*/zarn3.rar не найден! Прервать установку\\?" || fail "no missing-archive message"
xdotool key --window "$WIN" Return
ended_with 1
no_launchers
echo "xvfb_install: a missing archive: passed"

# TERM, as when the session ends, closes the installer as its window's close box does.
fresh
launch
wait_page welcome
T0=$(ms)
kill -TERM "$APID"
end_within "$T0" "$APID" 1000 || fail "TERM did not end the installer within a second"
APID=""
[ "$XS_STATUS" = 0 ] || fail "TERM ended the installer with $XS_STATUS, not 0"
no_launchers
echo "xvfb_install: TERM ends the installer ($TOOK ms): passed"

[ "$MODE" = full ] || exit 0

# 3. A real install, into a path far longer than the progress window's file line.
LONG="Игры/a long folder name to try the file line/Zarn III"
fresh
to_group "~/$LONG"
# shellcheck disable=SC2086
click $NEXT
# Catch the file line: the installer is stopped once a file's progress has moved (its name was
# drawn before that) while no later file has begun; a file missed that way is let go.
caught() {
  awk '/^zarn3set: extracting /{ name = substr($0, 22); moved = 0 }
       /^zarn3set: progress [1-9]/{ moved = 1 }
       /^zarn3set: (installed|outcome)/{ done = 1 }
       END { if (done || !moved || name == "") exit 1; print name }' "$WORK/log"
}
moving_or_done() { caught >/dev/null || grep -q "^zarn3set: outcome " "$WORK/log"; }
NAME=""
while [ -z "$NAME" ]; do
  xs_until moving_or_done || fail "the install neither moved nor ended"
  grep -q "^zarn3set: outcome " "$WORK/log" && fail "no file line could be caught before the install ended"
  kill -STOP "$APID"
  NAME=$(caught)
  [ -n "$NAME" ] || kill -CONT "$APID"
done
ZARN3SET_PROGRESS_TEXT="  $NAME" ZARN3SET_PROGRESS_PPM="$WORK/line.ppm" ZARN_PLATFORM=null \
  "$TESTS" --gtest_filter='Widgets.TheProgressFileLine*' >"$WORK/tests.log" 2>&1 ||
  { cat "$WORK/tests.log"; kill -CONT "$APID"; fail "the file line of $NAME is not as it must be"; }
# The progress window (528 x 166) is centred; its file line is 496 x 20 at (16, 12) under the
# title bar.
same_line() {
  import -window "$WIN" "$WORK/shot.png" 2>/dev/null &&
    convert "$WORK/shot.png" -crop "496x20+$(((WW - 528) / 2 + 16))+$(((WH - 166) / 2 + 22 + 12))" +repage "$WORK/line.png" &&
    [ "$(compare -metric AE -fuzz 3% "$WORK/line.png" "$WORK/line.ppm" null: 2>&1)" = 0 ]
}
if ! XS_TIMEOUT=10 xs_until same_line; then
  cp "$WORK/shot.png" "$OUT/installer_progress.png"
  convert "$WORK/line.ppm" "$OUT/installer_progress_wanted.png"
  kill -CONT "$APID"
  fail "the progress window's file line differs from the line drawn for $NAME (kept in $OUT)"
fi
cp "$WORK/shot.png" "$OUT/installer_progress.png"
kill -CONT "$APID"
echo "xvfb_install: the file line of a long path shows the name: passed"
xs_wait_log "$WORK/log" "^zarn3set: outcome " || fail "the install did not end"
grep -q "^zarn3set: outcome Игра успешно установлена" "$WORK/log" || fail "the install failed"
check_finish ""
# Progress: within each file the bar only rises, and every file that has data ends at 100.
awk '/^zarn3set: extracting /{ if (seen && last != 100) bad = 1; files++; seen = 0; last = 0; next }
     /^zarn3set: progress /{ if ($3 < last) bad = 1; last = $3; if ($3 > 0) seen = 1 }
     END { if (files < 2 || (seen && last != 100) || bad) exit 1 }' "$WORK/log" ||
  fail "progress did not rise to 100 % for every file"
# shellcheck disable=SC2086
click $DONE
ended_with 0
DEST="$WORK/home/$LONG"
cmp -s "$RAR" "$DEST/zarn3.rar" || fail "the archive copy differs"
(cd "$PACKED" && find . -type f) | while read -r f; do
  cmp -s "$PACKED/$f" "$DEST/$f" || { echo "differs: $f"; exit 1; }
done || fail "extracted files differ from the packed ones"
MENU="$WORK/home/.local/share/applications/Zarn III/zarn3.desktop"
DESK="$WORK/home/Desktop/zarn3.desktop"
[ -f "$MENU" ] && [ -f "$DESK" ] || fail "launchers missing"
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$MENU" && desktop-file-validate "$DESK" || fail "launchers do not validate"
fi
# The installed game starts from its launcher's command line.
EXEC=$(sed -n 's/^Exec=//p' "$DESK" | head -n 1)
[ -n "$EXEC" ] || fail "no Exec line"
(cd "$DEST" && eval "exec env HOME=\"$WORK/home\" ZARN_PLATFORM=sdl SDL_AUDIODRIVER=dummy $EXEC -debug") >"$WORK/game.log" 2>&1 &
GPID=$!
xs_wait_window "$GPID" || { cat "$WORK/game.log"; fail "the installed game did not open its window"; }
kill -0 "$GPID" 2>/dev/null || fail "the installed game ended at once"
xs_kill "$GPID"
mv "$DEST" "$WORK/installed"  # kept for the last check
echo "xvfb_install: a real install, byte for byte, with launchers, and the game starts: passed"

# 4. A full target: the copy cannot be written.
LIMIT=64 fresh
LIMIT=64 to_group "~/full"
# shellcheck disable=SC2086
click $NEXT
xs_wait_log "$WORK/log" "^zarn3set: outcome " || fail "the install did not end"
grep -q "^zarn3set: outcome Игра не установлена: .*zarn3.rar: File too large" "$WORK/log" ||
  fail "a full target was not reported"
check_finish "_failed"
# shellcheck disable=SC2086
click $DONE
ended_with 1
no_launchers
echo "xvfb_install: a full target: passed"

# 5. The display is killed under the installer and the installed game: both end (the installer
# within a second), with status 1, saying why (they spun for ever before, deaf to TERM).
fresh
launch
wait_page welcome
(cd "$WORK/installed" && exec env HOME="$WORK/home" ZARN_PLATFORM=sdl SDL_AUDIODRIVER=dummy ./zarn -debug) \
  >"$WORK/game.log" 2>&1 &
GPID=$!
xs_wait_window "$GPID" || { cat "$WORK/game.log"; fail "the installed game did not open its window"; }
lost_fail() {
  xs_kill "$GPID"
  fail "$@"
}
# Its still pages are drawn by the processor alone: the graphics library's threads (one per core
# without a graphics card) held up its end on a loaded machine by up to two seconds.
THREADS=$(ls "/proc/$APID/task" | wc -l)
[ "$THREADS" -le 3 ] || lost_fail "the installer runs $THREADS threads: $(cat /proc/$APID/task/*/comm | sort -u | tr '\n' ' ')"
xs_kill "$XS_WMPID"
XS_WMPID=""
# The time runs from the server's end: on a loaded machine its own shutdown takes a while.
kill -TERM "$XS_XPID"
wait "$XS_XPID" 2>/dev/null
XS_XPID=""
T0=$(ms)
TOOKS=""
for who in installer game; do
  if [ $who = installer ]; then pid=$APID log="$WORK/log"; else pid=$GPID log="$WORK/game.log"; fi
  limit=1000
  [ $who = game ] && limit=10000  # the game's own bound; its check is the game's
  end_within "$T0" "$pid" $limit || lost_fail "the $who did not end within $limit ms of its display's end"
  [ "$XS_STATUS" = 1 ] || lost_fail "the $who ended with $XS_STATUS, not 1"
  grep -q "the connection to the display was lost" "$log" || lost_fail "the $who did not say why it ended"
  TOOKS="$TOOKS $who $TOOK ms"
done
APID=""
echo "xvfb_install: a lost display ends the installer and the game ($TOOKS): passed"
exit 0
