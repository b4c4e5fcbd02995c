# Screenshot regions of the real program against the pictures that a headless run of the same
# clicks wrote, for the checks that play a mission under X. Source it after xsession.sh and
# xs_session, with PICS (the headless pictures) and KEEP (where a failed run's shots go) set and
# fail() defined. The display shows the 320 x 200 picture doubled.

rm -rf "$KEEP"
keep_pictures() {
  mkdir -p "$KEEP"
  cp "$WORK"/*.png "$KEEP"/ 2>/dev/null
  echo "  pictures kept in $KEEP"
}
XS_ON_FAIL=keep_pictures

# region_matches STEP X Y W H [FUZZ]: the screenshot's region (picture pixels, doubled on the
# screen) equals the same region of the headless picture of STEP.
# The pointer resting at REST animates, and the headless picture holds one of its frames: its
# square is left out of both (pointers reach 8 picture pixels up and left of their point).
region_matches() {
  _geo="$(($4 * 2))x$(($5 * 2))+$(($2 * 2))+$(($3 * 2))"
  _mask="rectangle $(echo $REST | awk '{ print $1 - 18 "," $2 - 18, $1 + 33 "," $2 + 33 }')"
  convert "$PICS/$1.png" -scale 200% -fill black -draw "$_mask" -crop "$_geo" +repage "$WORK/want-$1.png" || return 1
  import -window root "$WORK/shot.png" || return 1
  convert "$WORK/shot.png" -fill black -draw "$_mask" -crop "$_geo" +repage "$WORK/got-$1.png" || return 1
  DIFF=$(compare -metric AE -fuzz "${6:-3}%" "$WORK/want-$1.png" "$WORK/got-$1.png" null: 2>&1)
  [ "$DIFF" = "0" ]
}
# wait_region WHAT STEP X Y W H [FUZZ]: polls until the region matches.
wait_region() {
  _what=$1
  shift
  [ -n "${XS_VERBOSE:-}" ] && echo "$(date +%T) waiting for $1 ($2 $3 $4 $5)" >&2
  xs_until region_matches "$@" || fail "$_what: the region $2,$3 ${4}x$5 differs from the headless picture '$1' in ${DIFF:-?} pixels"
}

click() { xdotool mousemove $1 $2 click 1 mousemove $REST; }
rclick() { xdotool mousemove $1 $2 click 3 mousemove $REST; }
