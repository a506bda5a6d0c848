# Steps shared by the skin's end-to-end tests: the window's place, and what the screen shows of it
# compared with the art the build drew. Sourced after lib.sh.
art_dir=${QV_ART_DIR:-$(dirname "$QUELVAR_EXE")/res/art}
[ -f "$art_dir/background.bmp" ] || { fail "no art in $art_dir"; exit 1; }

# The main window's rectangle on the screen: left top width height. The window has no frame, so its
# client area starts at its top-left corner.
window_rect() { probe window | sed -E 's/.*rect=([-0-9]+),([-0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3 \4/'; }

# How many pixels of the screen area "width x height at left,top" differ from a picture's area at x,y.
screen_differs() {  # left top width height picture x y
  local shot
  shot=$(mktemp --suffix=.png)
  import -display "$DISPLAY" -window root -crop "$3x$4+$1+$2" +repage "$shot"
  convert "$5" -crop "$3x$4+$6+$7" +repage "$shot.art.png"
  compare -metric AE "$shot" "$shot.art.png" null: 2>&1 | awk '{print $1}'
  rm -f "$shot" "$shot.art.png"
}

# Waits until control ID shows the face picture pixel for pixel; prints the differing pixels last seen.
wait_for_face() {  # id picture
  local left top width height differs=""
  read -r left top width height <<<"$(probe rect "$1")"
  for _ in $(seq 30); do
    differs=$(screen_differs "$left" "$top" "$width" "$height" "$2" 0 0)
    [ "$differs" = 0 ] && break
    sleep 0.1
  done
  echo "$differs"
}

# Waits until the window rectangle is the given one; prints the last one seen.
wait_for_rect() {
  local rect=""
  for _ in $(seq 30); do
    rect=$(window_rect)
    [ "$rect" = "$1" ] && break
    sleep 0.1
  done
  echo "$rect"
}
