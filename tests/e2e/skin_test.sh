#!/usr/bin/env bash
# The window's skin as a user meets it: the picture at its own size, the close button lighting up under
# the pointer, the title band dragging the window, minimise, and the close button ending the program.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lib.sh"
source "$here/skin_lib.sh"

start_quelvar
read -r left top width height <<<"$(window_rect)"
check_eq "the window comes out at the size of its picture" "780 509" "$width $height"
# The title band right of the title, up to the window buttons: nothing but the picture lies there.
check_eq "the title band shows the picture one to one" 0 \
  "$(screen_differs $((left + 260)) "$top" 440 77 "$art_dir/background.bmp" 260 0)"

# Hover, with real pointer moves.
read -r bx by bw bh <<<"$(probe rect 1011)"
xdotool mousemove --sync $((left + 400)) $((top + 300))
check_eq "the close button shows its plain face" 0 "$(wait_for_face 1011 "$art_dir/close_normal.bmp")"
check_eq "the minimise button shows its plain face" 0 "$(wait_for_face 1017 "$art_dir/min_normal.bmp")"
xdotool mousemove --sync $((bx + bw / 2)) $((by + bh / 2))
check_eq "the close button lights up when the pointer enters it" 0 "$(wait_for_face 1011 "$art_dir/close_hover.bmp")"
xdotool mousemove --sync $((bx + bw / 2 - 40)) $((by + bh / 2))
check_eq "it turns plain again when the pointer leaves" 0 "$(wait_for_face 1011 "$art_dir/close_normal.bmp")"

# Pressed on the panel (below the drag band), held, and moved onto the button: it stays plain.
xdotool mousemove --sync $((left + 515)) $((top + 200)) mousedown 1
xdotool mousemove --sync $((bx + 3)) $((by + bh / 2))
xdotool mousemove --sync $((bx + bw / 2)) $((by + bh / 2))
sleep 0.5  # a wrong repaint would have come by now
check_eq "moving in with the mouse button held does not light it" 0 "$(wait_for_face 1011 "$art_dir/close_normal.bmp")"
xdotool mouseup 1
xdotool mousemove --sync $((bx + bw / 2 + 2)) $((by + bh / 2 + 2))
check_eq "released, the next move over it lights it" 0 "$(wait_for_face 1011 "$art_dir/close_hover.bmp")"
xdotool mousemove --sync $((left + 400)) $((top + 300))
wait_for_face 1011 "$art_dir/close_normal.bmp" >/dev/null

# Drag by the band: the last row of the band moves the window, the row below it does not.
xdotool mousemove --sync $((left + 300)) $((top + 77)) mousedown 1
xdotool mousemove --sync $((left + 320)) $((top + 90))
xdotool mousemove --sync $((left + 360)) $((top + 117))
check_eq "a press at y 77 moves the window with the mouse" \
  "$((left + 60)) $((top + 40)) $width $height" "$(wait_for_rect "$((left + 60)) $((top + 40)) $width $height")"
xdotool mousemove --sync $((left + 390)) $((top + 137))
check_eq "the window keeps following until the button is released" \
  "$((left + 90)) $((top + 60)) $width $height" "$(wait_for_rect "$((left + 90)) $((top + 60)) $width $height")"
xdotool mouseup 1
xdotool mousemove --sync $((left + 420)) $((top + 157))
sleep 0.5
check_eq "after the release the window stays put" "$((left + 90)) $((top + 60)) $width $height" "$(window_rect)"

read -r left top width height <<<"$(window_rect)"
xdotool mousemove --sync $((left + 300)) $((top + 78)) mousedown 1
xdotool mousemove --sync $((left + 330)) $((top + 98))
xdotool mousemove --sync $((left + 360)) $((top + 118))
sleep 0.5
check_eq "a press at y 78 does not move the window" "$left $top $width $height" "$(window_rect)"
xdotool mouseup 1

# Minimise, and back.
click_control 1017
probe sync
check_eq "the minimise button minimises the window" "iconic=1" "$(probe window | grep -o 'iconic=[01]')"
probe post 0x0112 0xF120  # WM_SYSCOMMAND, SC_RESTORE
probe sync
check_eq "restored, the window is no longer minimised" "iconic=0" "$(probe window | grep -o 'iconic=[01]')"
read -r left top width height <<<"$(window_rect)"
differs=""
for _ in $(seq 30); do
  differs=$(screen_differs $((left + 260)) "$top" 440 77 "$art_dir/background.bmp" 260 0)
  [ "$differs" = 0 ] && break
  sleep 0.1
done
check_eq "restored, it shows its picture again" 0 "$differs"

# The close button ends the program, with the receive thread running and sockets open from a search.
click_control 1001
sleep 1
click_control 1011
wait_for_exit && pass "the close button ends the program" || fail "the program still runs after the close button"
