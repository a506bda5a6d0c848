#!/usr/bin/env bash
# A technician gives a device a new address: a row click fills the fields, the new address is typed,
# Modify IP broadcasts one command per interface, and the next search finds the device at its new
# address. A gateway outside the segment is asked about; an invalid address is refused; the DHCP box
# (hidden, reached by its click) switches the fields off and sends the DHCP flag.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lib.sh"
source "$here/operations_lib.sh"
links=2
no_box() { ! probe messagebox >/dev/null; }

start_quelvar
click_control 1001
wait_for_rows 6 >/dev/null

row=$(row_of_ip 192.168.1.64)
click_row "$row"
check_eq "a row click shows the row's address as New IP" "192.168.1.64" "$(probe fields 1005)"
check_eq "... its subnet mask" "255.255.255.0" "$(probe fields 1006)"
check_eq "... and the .1 of its segment as gateway" "192.168.1.1" "$(probe fields 1007)"

# Three-digit octets, typed key by key: every digit must stay.
type_address 1005 172.116.100.200
type_address 1007 172.116.100.1
check_eq "the typed New IP keeps every digit" "172.116.100.200" "$(probe fields 1005)"
check_eq "the typed gateway keeps every digit" "172.116.100.1" "$(probe fields 1007)"

before=$(sim_count command)
click_control 1004
wait_for_sim_events command $((before + links)) || true
sleep 1  # a command too many would arrive now
no_box && pass "no question for a gateway inside the segment" || fail "a message box appeared"
commands=$(sim_events command | tail -n +$((before + 1)))
check_eq "exactly one command per app interface" "dev0 dev1" \
  "$(while read -r line; do json_text "$line" interface; done <<<"$commands" | sort | xargs)"
expected=$(expected_command_hex 192.168.1.64 172.116.100.200 255.255.255.0 172.116.100.1 00:1A:2B:3C:4D:5E 0 1)
while read -r line; do
  check_eq "the command on $(json_text "$line" interface) has the exact bytes" "$expected" "$(json_text "$line" raw)"
done <<<"$commands"
check_eq "the simulator applied it" "00:1A:2B:3C:4D:5E 192.168.1.64 172.116.100.200 172.116.100.1" \
  "$(sim_events applied | tail -n1 | while read -r line; do
       echo "$(json_text "$line" mac) $(json_text "$line" old_ip) $(json_text "$line" ip) $(json_text "$line" gateway)"
     done)"
check_eq "the list keeps the old row until the next search" "$row" "$(row_of_ip 192.168.1.64)"

click_control 1001
wait_for_rows 6 >/dev/null
sleep 0.5
check_eq "a new search lists the device at its new address" "00:1A:2B:3C:4D:5E" \
  "$(probe list | awk -F'\t' '$4 == "172.116.100.200" {print $6}')"
check_eq "and no longer at the old one" "" "$(row_of_ip 192.168.1.64)"

# A gateway outside the new address's segment: the question, Cancel sends nothing, OK sends.
click_row "$(row_of_ip 192.168.1.65)"
type_address 1005 10.20.30.45
before=$(sim_count command)
click_control 1004
check_eq "a gateway outside the segment is asked about" \
  "Quelvar	IP address and gate way are not in the same network segment! are you sure modify?" \
  "$(wait_for_messagebox)"
answer_messagebox 2 || fail "the question did not close"
sleep 1.5
check_eq "Cancel sends nothing" "$before" "$(sim_count command)"
click_control 1004
wait_for_messagebox >/dev/null || fail "the question did not come again"
answer_messagebox 1 || fail "the question did not close"
wait_for_sim_events command $((before + links)) || fail "OK sent nothing"
sleep 1
check_eq "OK sends one command per interface" "$((before + links))" "$(sim_count command)"
check_eq "with the gateway as it stood" \
  "$(expected_command_hex 192.168.1.65 10.20.30.45 255.255.255.0 192.168.1.1 00:1A:2B:3C:4D:5F 0 1)" \
  "$(json_text "$(sim_events command | tail -n1)" raw)"

# Addresses that name no device, and an empty field.
for address in 10.20.30.0 10.20.30.255 ""; do
  if [ -n "$address" ]; then type_address 1005 "$address"; else clear_address 1005; fi
  before=$(sim_count command)
  click_control 1004
  check_eq "New IP '${address:-empty}' is refused" "Quelvar	Invalid IP address" "$(wait_for_messagebox)"
  answer_messagebox 1 || fail "the box did not close"
  sleep 1
  check_eq "... and nothing is sent for '${address:-empty}'" "$before" "$(sim_count command)"
done

# The hidden DHCP box: its click shows the state before the click and switches the three fields.
probe click 1009
check_eq "the first DHCP click shows 0" "Quelvar	0" "$(wait_for_messagebox)"
answer_messagebox 1
probe sync
check_eq "ticked, the address fields are off" "0 0 0" "$(probe enabled 1005) $(probe enabled 1006) $(probe enabled 1007)"
click_row "$(row_of_ip 10.20.30.40)"
check_eq "a row click fills the disabled fields all the same" "10.20.30.40" "$(probe fields 1005)"
before=$(sim_count command)
click_control 1004
wait_for_sim_events command $((before + links)) || fail "nothing sent with DHCP"
sleep 1
check_eq "with DHCP the command names the device by its address alone" \
  "$(expected_command_hex 10.20.30.40 "" "" "" "" 1 0)" "$(json_text "$(sim_events command | tail -n1)" raw)"
check_eq "the simulator marks the device as using DHCP" "true" \
  "$(sim_events applied | tail -n1 | sed -E 's/.*"dhcp":(true|false).*/\1/')"
probe click 1009
check_eq "the second DHCP click shows 1" "Quelvar	1" "$(wait_for_messagebox)"
answer_messagebox 1
probe sync
check_eq "unticked, the fields are on again" "1 1 1" "$(probe enabled 1005) $(probe enabled 1006) $(probe enabled 1007)"

screenshot "${QV_SCREENSHOT_DIR:-$e2e_root/build/win/screenshots}/modify.png"
press alt+F4
wait_for_exit && pass "Alt+F4 ends the program" || fail "the program still runs after Alt+F4"
