#!/usr/bin/env bash
# Typing addresses into the address fields with real keys, also where the system's field font is
# wider than the dialog's (a larger icon-title font under Wine): every digit of a three-digit octet
# stays, and typing over a filled-in address replaces each octet.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lib.sh"
source "$here/operations_lib.sh"

# A LOGFONTW as the registry keeps it: height, width, escapement, orientation, weight, eight bytes of
# flags, and the face name in 32 UTF-16 units.
logfont_hex() {  # height (pixels), face
  local height=$(((1 << 32) + $1)) face=$2 out="" i
  le() { printf '%02x%02x%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
  out+=$(le "$height")000000000000000000000000$(le 400)0000000100000000
  for ((i = 0; i < 32; i++)); do
    if [ "$i" -lt "${#face}" ]; then out+=$(printf '%02x' "'${face:i:1}")00; else out+=0000; fi
  done
  printf '%s\n' "$out"
}

# The display's resolution and the system's icon-title font, the one some address controls give their
# fields (a 12-point one is a common larger-text setting); 0 keeps the prefix's own font.
set_display() {  # dpi, icon-title font height in pixels or 0
  local run=("$e2e_root/scripts/wine-run" reg add)
  "${run[@]}" 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  "${run[@]}" 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  if [ "$2" != 0 ]; then
    "${run[@]}" 'HKCU\Control Panel\Desktop\WindowMetrics' /v IconFont /t REG_BINARY \
      /d "$(logfont_hex "$2" Tahoma)" /f >/dev/null
  fi
  # Programs read these when they start; a fresh server makes sure they see the new ones.
  WINEPREFIX=$QV_LAN_DIR/wineprefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$QV_LAN_DIR/wineprefix wineserver -w 2>/dev/null || true
}

while read -r dpi icon_font; do
  what="$dpi dpi, icon-title font $([ "$icon_font" = 0 ] && echo "as installed" || echo "${icon_font#-} px")"
  set_display "$dpi" "$icon_font"
  start_quelvar
  while read -r id address; do
    type_address "$id" "$address"
    check_eq "$what: control $id shows '$address' as typed" "$address" "$(probe fields "$id")"
  done <<'TYPED'
1005 198.118.100.254
1006 255.255.254.0
1007 198.118.100.101
1005 10.1.2.3
1005 172.116.200.188
TYPED
  press alt+F4
  wait_for_exit || { fail "$what: the program still runs after Alt+F4"; break; }
done <<'DISPLAYS'
96 0
96 -16
120 -18
DISPLAYS
