#!/bin/sh
# The picture library's clipboard under a virtual X display, against another program that uses
# the X clipboard (xclip): what we offer is read by it byte for byte and recognised by
# ImageMagick (the game's pictures too); what it offers (a bitmap, an icon under its older type)
# we paste, even while our offer still runs (ours no longer answers once xclip has taken the
# clipboard). An answer to a requestor whose window is gone ends nothing, beside an SDL window
# and after it.
#
#   xvfb_clipboard.sh <clipboard_check>
#
# Exit 0: passed; 1: failed.
set -u
BIN=${1:?usage: xvfb_clipboard.sh <clipboard_check>}
SRC=$(cd "$(dirname "$0")/../.." && pwd)
. "$SRC/tests/common/xsession.sh"
xs_need_tools xclip convert identify || exit 1
xs_session xvfb_clipboard copier:log
fail() { xs_failed "$@"; }
xs_start 320x200 || exit 1
# The tests run with the null platform, whose clipboard stays in the process.
ZARN_PLATFORM=sdl
export ZARN_PLATFORM

clip() { xclip -selection clipboard "$@"; }
targets_have() { clip -t TARGETS -o | grep -q -x "$1"; }
gif_gone() { ! targets_have image/gif; }

# Ours offers, until its input ends; the input is a fifo that this shell holds open on fd 3.
offer() {
  rm -f "$WORK/ctl" "$WORK/log"
  mkfifo "$WORK/ctl" || fail "cannot make a fifo"
  "$BIN" "$1" "$WORK" < "$WORK/ctl" > "$WORK/log" 2>&1 &
  APID=$!
  exec 3> "$WORK/ctl"
  xs_wait_log "$WORK/log" '^copied$' || fail "the picture was not offered"
}
stop_offer() {
  exec 3>&-
  xs_wait_gone "$APID" || fail "the copying program did not end"
  [ "$XS_STATUS" -eq 0 ] || fail "the copying program failed"
  APID=""
}

# A two-frame animation: its GIF data and its first frame as a bitmap.
offer copy-gif
for t in image/gif image/bmp TARGETS; do
  targets_have "$t" || fail "the offer lacks $t: $(clip -t TARGETS -o | tr '\n' ' ')"
done
clip -t image/gif -o > "$WORK/got.gif" || fail "xclip could not read the GIF data"
cmp -s "$WORK/sent.gif" "$WORK/got.gif" || fail "the GIF data differ from those offered"
[ "$(identify "$WORK/got.gif" | wc -l)" -eq 2 ] || fail "ImageMagick does not see two frames"
clip -t image/bmp -o > "$WORK/got.bmp" || fail "xclip could not read the bitmap"
got=$(convert "$WORK/got.bmp" -format '%w %h %[pixel:p{0,0}] %[pixel:p{1,0}]' info:)
[ "$got" = "6 4 srgb(255,0,0) srgb(0,0,255)" ] || fail "the bitmap is '$got', not red and blue 6 x 4"
# Another process of ours pastes it while the first still serves.
got=$("$BIN" paste-gif) || fail "pasting our own offer failed"
[ "$got" = "frames 2 6x4 255 0 0" ] || fail "pasted '$got'"

# xclip takes the clipboard with a bitmap (a classic BMP): it becomes a one-frame picture, in a
# new process and in the one whose offer it replaced.
convert -size 5x3 xc:'#102030' -type truecolor bmp3:"$WORK/five.bmp" || fail "convert failed"
# (Not holding our program's input open.)
xclip -selection clipboard -quiet -t image/bmp -i "$WORK/five.bmp" > /dev/null 2>&1 3>&- &
XS_PIDS="$XS_PIDS $!"
xs_until targets_have image/bmp || fail "xclip did not offer the bitmap"
xs_until gif_gone || fail "our GIF is still offered"
got=$("$BIN" paste-gif) || fail "pasting xclip's bitmap failed"
[ "$got" = "frames 1 5x3 16 32 48" ] || fail "pasted '$got' from xclip's bitmap"
echo paste-gif >&3
xs_wait_log "$WORK/log" '^frames ' || fail "the first offer's process did not paste"
got=$(grep '^frames ' "$WORK/log")
[ "$got" = "frames 1 5x3 16 32 48" ] || fail "the first offer's process pasted '$got', not xclip's bitmap"
stop_offer
got=$("$BIN" paste-dib) || fail "the game's picture could not paste xclip's bitmap"
[ "$got" = "dib 5x3 24 102030" ] || fail "the game's picture pasted '$got' from xclip's bitmap"

# The game's pictures offer theirs as a bitmap file.
offer copy-dib
clip -t image/bmp -o > "$WORK/dib.bmp" || fail "xclip could not read the game's picture"
got=$(convert "$WORK/dib.bmp" -format '%w %h %[pixel:p{0,0}] %[pixel:p{1,0}] %[pixel:p{2,0}]' info:)
[ "$got" = "3 2 srgb(255,0,0) srgb(0,0,255) srgb(0,0,0)" ] || fail "the game's picture is '$got'"
stop_offer

# An icon, both ways; xclip offers it under the older type.
offer copy-icon
clip -t image/vnd.microsoft.icon -o > "$WORK/got.ico" || fail "xclip could not read the icon"
cmp -s "$WORK/sent.ico" "$WORK/got.ico" || fail "the icon differs from the one offered"
got=$(identify -format '%m %w %h' "$WORK/got.ico")
[ "$got" = "ICO 3 2" ] || fail "ImageMagick sees '$got', not 'ICO 3 2'"
stop_offer
convert -size 4x4 xc:'#00ff00' "ico:$WORK/green.ico" || fail "convert failed"
clip -quiet -t image/x-icon -i "$WORK/green.ico" > /dev/null 2>&1 &
XS_PIDS="$XS_PIDS $!"
xs_until targets_have image/x-icon || fail "xclip did not offer the icon"
got=$("$BIN" paste-icon) || fail "pasting xclip's icon failed"
[ "$got" = "icon 4x4 0 255 0" ] || fail "pasted '$got' from xclip's icon"

got=$("$BIN" x-errors 2>"$WORK/x-errors.log")
st=$?
[ "$st" -eq 0 ] || fail "an answer to a window that had gone ended the program ($st): $(cat "$WORK/x-errors.log")"
case "$got" in
  "x errors ignored "*) [ "${got#x errors ignored }" -ge 4 ] || fail "'$got': the answers did not fail" ;;
  *) fail "x-errors printed '$got'" ;;
esac
echo "xvfb_clipboard: passed"
exit 0
