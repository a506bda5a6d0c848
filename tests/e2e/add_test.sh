#!/usr/bin/env bash
# Handing devices to the client application: Add (hidden, reached by its click) reads .\config.ini
# afresh, finds the window with the configured title and posts one WM_ADDDEVICE per selected row, in
# list order, with the row's address and packed word; without such a window nothing happens.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lib.sh"
source "$here/operations_lib.sh"
: "${QVCLIENT_EXE:?QVCLIENT_EXE names the client stand-in}"

# Quelvar's working directory, where it looks for config.ini.
work=$QV_LAN_DIR/work
mkdir -p "$work"
cd "$work"
config() { printf '%s\r\n' "[STRING]" "$@" >config.ini; }

client_pids=()
start_client() {  # title, log file
  : >"$2"
  "$e2e_root/scripts/wine-run" "$QVCLIENT_EXE" "$1" "Z:${2//\//\\}" &
  client_pids+=($!)
  for _ in $(seq 100); do
    grep -q ready "$2" && return 0
    sleep 0.1
  done
  fail "the client '$1' did not come up"
}
received() { grep -v ready "$1" | tr -d '\r' || true; }
# Waits until the client log holds $2 messages.
has_received() { [ "$(received "$1" | grep -c .)" -ge "$2" ]; }
wait_for_received() { poll_until has_received "$1" "$2"; }

test_client=$QV_LAN_DIR/test-client.log
pelko=$QV_LAN_DIR/pelko.log
config 'client="QV Test Client"'
start_client "QV Test Client" "$test_client"
start_client " Pelko" "$pelko"

start_quelvar
click_control 1001
wait_for_rows 6 >/dev/null

# The messages each device gives: its address as a number and its packed RTSP port, kind and DVS value.
declare -A message=([192.168.1.64]="C0A80140 00022A30" [192.168.1.65]="C0A80141 00022A18"
                    [10.20.30.40]="0A141E28 00216A40" [172.16.5.9]="AC100509 00022A50"
                    ["1.2.3.4/evil"]="01020304 00022A30")
picked=(172.16.5.9 192.168.1.64 10.20.30.40 "1.2.3.4/evil")  # clicked in this order, not the list's
expected=$(for ip in "${picked[@]}"; do echo "$(row_of_ip "$ip") ${message[$ip]}"; done | sort -n | cut -d' ' -f2-)
click_row "$(row_of_ip "${picked[0]}")"
for ip in "${picked[@]:1}"; do click_row "$(row_of_ip "$ip")" 1 ctrl; done
probe command 1002
wait_for_received "$test_client" 4 || true
sleep 1
check_eq "one WM_ADDDEVICE per selected row, in list order, with the exact parameters" "$expected" \
  "$(received "$test_client")"
check_eq "a window with another title gets nothing" "" "$(received "$pelko")"

# The file is read afresh by every Add; quotes keep the title's leading blank.
config "client=\" Pelko\""
click_row "$(row_of_ip 192.168.1.65)"
probe command 1002
wait_for_received "$pelko" 1 || true
sleep 1
check_eq "after the file changed, the new title's window gets the device" "${message[192.168.1.65]}" "$(received "$pelko")"
rm config.ini
probe command 1002
wait_for_received "$pelko" 2 || true
sleep 1
check_eq "without the file the title is ' Pelko'" "${message[192.168.1.65]}"$'\n'"${message[192.168.1.65]}" \
  "$(received "$pelko")"
check_eq "and the other window got nothing more" "4" "$(received "$test_client" | grep -c .)"

# No window with the configured title: nothing is posted and nothing is shown.
config 'client=Nobody Here'
probe command 1002
probe sync
sleep 1
check_eq "with no window of that title nothing is posted" "4 2" \
  "$(received "$test_client" | grep -c .) $(received "$pelko" | grep -c .)"
probe messagebox >/dev/null && fail "a message box appeared" || pass "and nothing is shown"
kill -0 "$app_pid" && pass "Quelvar keeps running" || fail "Quelvar ended"

probe close-window "QV Test Client" || true
probe close-window " Pelko" || true
for pid in "${client_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
press alt+F4
wait_for_exit && pass "Alt+F4 ends the program" || fail "the program still runs after Alt+F4"
