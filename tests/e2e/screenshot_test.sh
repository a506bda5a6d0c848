#!/usr/bin/env bash
# The finished window on the demo site: every simulated device listed, the first one chosen, saved as
# quelvar.png in the screenshot folder (the picture the README shows).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lib.sh"
source "$here/skin_lib.sh"
demo=$e2e_root/tools/devsim/demo.devices
# Every line that names a kind the program lists.
count=$(grep -c -E '^model=(IPCAMERA|DECODER|DVS|NVR) ' "$demo")

start_quelvar
click_control 1001
rows=$(wait_for_rows "$count")
check_eq "every video device of the demo site is listed" "$count" "$(grep -c . <<<"$rows")"
click_rect "$(probe row-rect 0)"
probe sync
# The pointer off the window, so nothing is lit or hot-tracked in the picture.
xdotool mousemove --sync 1200 1000
sleep 0.5

read -r left top width height <<<"$(window_rect)"
shot=${QV_SCREENSHOT_DIR:-$e2e_root/build/win/screenshots}/quelvar.png
mkdir -p "$(dirname "$shot")"
import -display "$DISPLAY" -window root -crop "${width}x${height}+$left+$top" +repage "$shot"
check_eq "the screenshot holds the whole window" "780x509" "$(identify -format '%wx%h' "$shot")"
echo "screenshot: $shot"

press alt+F4
wait_for_exit && pass "Alt+F4 ends the program" || fail "the program still runs after Alt+F4"
