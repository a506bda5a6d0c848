# Steps shared by the device-operation tests: rows found by their cells, real clicks into rows and
# address fields, typed addresses, message boxes read and answered, and the simulator's command log.
# Sourced after lib.sh.

# The row (0-based) whose "IP address" cell reads exactly $1.
row_of_ip() { probe list | awk -F'\t' -v ip="$1" '$4 == ip {print NR - 1; exit}'; }

# A point inside the row's first column: the row's rectangle spans every column, also those scrolled
# out of sight, so its middle may lie outside the list.
click_row() {  # row, [clicks], [modifier key]
  local left top width height
  read -r left top width height <<<"$(probe row-rect "$1")"
  xdotool mousemove --sync $((left + 20)) $((top + height / 2))
  [ -z "${3:-}" ] || xdotool keydown "$3"
  xdotool click --repeat "${2:-1}" --delay 120 1
  [ -z "${3:-}" ] || xdotool keyup "$3"
}

# Waits until control $1 has the keyboard focus.
wait_for_focus() {
  for _ in $(seq 30); do
    [ "$(probe focus)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# Clicks into field $2 (0..3) of IP address control $1.
click_field() { click_rect "$(probe field-rect "$1" "$2")"; }

# Types an address into IP address control $1 as a user does: into the first field, its text selected,
# then the octets and full stops as keys.
type_address() {  # control id, address text
  click_field "$1" 0
  wait_for_focus "$1" || fail "control $1 did not take the focus"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 60 "$2"
  sleep 0.2
}

# Empties every field of IP address control $1 with the keyboard.
clear_address() {
  local field
  for field in 0 1 2 3; do
    click_field "$1" "$field"
    xdotool key --clearmodifiers ctrl+a BackSpace
  done
  sleep 0.2
}

# Waits for a message box of Quelvar's and prints "caption<TAB>text"; fails when none comes.
wait_for_messagebox() {
  local box
  for _ in $(seq "${1:-60}"); do
    if box=$(probe messagebox); then printf '%s\n' "$box"; return 0; fi
    sleep 0.1
  done
  return 1
}

# Answers the open message box with button $1 (1 OK, 2 Cancel) and waits until it is gone and the
# dialog, active again, has put the focus back where it was: keys typed before that may land there.
answer_messagebox() {
  probe press-messagebox "$1" >/dev/null || return 1
  poll_until messagebox_gone || return 1
  probe sync
  sleep 1
}
messagebox_gone() { ! probe messagebox >/dev/null; }

# The simulator's log lines of one event kind.
sim_events() { grep -F "\"event\":\"$1\"" "$QV_DEVSIM_LOG" || true; }
sim_count() { sim_events "$1" | grep -c . || true; }

# A string field of one JSON log line.
json_text() { sed -E 's/.*"'"$2"'":"([^"]*)".*/\1/' <<<"$1"; }

# Waits until the simulator has logged at least $2 events of kind $1.
has_sim_events() { [ "$(sim_count "$1")" -ge "$2" ]; }
wait_for_sim_events() { poll_until has_sim_events "$1" "$2"; }

# The 263 bytes of a set-network command in lower-case hexadecimal, built here byte by byte:
# "search....." NUL, code 3, the current address at 13, then (unless the fields were off) the new
# address at 61, mask at 109, gateway at 157 and the MAC at 256; the DHCP flag at 253.
expected_command_hex() {  # current, new, mask, gateway, mac (colon pairs), dhcp flag, with fields (1/0)
  local -a bytes
  local i
  for ((i = 0; i < 263; i++)); do bytes[i]=00; done
  put_text() {  # offset, text
    local k
    for ((k = 0; k < ${#2}; k++)); do bytes[$1 + k]=$(printf '%02x' "'${2:k:1}"); done
  }
  put_text 0 "search....."
  bytes[12]=03
  put_text 13 "$1"
  bytes[253]=$(printf '%02x' "$6")
  if [ "$7" = 1 ]; then
    put_text 61 "$2"
    put_text 109 "$3"
    put_text 157 "$4"
    local -a mac
    IFS=: read -r -a mac <<<"$5"
    for ((i = 0; i < 6; i++)); do bytes[256 + i]=$(tr 'A-F' 'a-f' <<<"${mac[i]}"); done
  fi
  local IFS=
  printf '%s\n' "${bytes[*]}"
}
