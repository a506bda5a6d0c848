#!/usr/bin/env bash
# The address check (Ping, hidden, reached by its click): an address that a device holds answers the
# echo and reads as taken; a free one, and one for which a router reports "unreachable", read as free.
# The simulator holds each device's address, so the device namespace's kernel answers for it.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lib.sh"
source "$here/operations_lib.sh"

taken="Quelvar	Warnning!! This IP address is  existed!"
free="Quelvar	This IP address is available!"
ping_new_ip() {  # what is being checked
  probe command 1010
  check_eq "$1" "$2" "$(wait_for_messagebox 100)"
  answer_messagebox 1 || fail "the box did not close"
}

# A router for 203.0.113.0/24 that answers every packet with "host unreachable": the device namespace
# forwards, and its route for that network is an unreachable one.
dev_ns=qv-$QV_LAN-dev
ip netns exec "$dev_ns" sysctl -qw net.ipv4.ip_forward=1
ip netns exec "$dev_ns" ip route add unreachable 203.0.113.0/24
ip route add 203.0.113.0/24 via 198.18.0.2

start_quelvar
click_control 1001
wait_for_rows 6 >/dev/null

click_row "$(row_of_ip 192.168.1.64)"
ping_new_ip "an address a device holds is taken" "$taken"

# The field as it is now counts, not the row clicked before.
type_address 1005 192.168.1.77
check_eq "the typed address is in the field" "192.168.1.77" "$(probe fields 1005)"
started=$(date +%s%N)
ping_new_ip "a free address is available" "$free"
waited=$((($(date +%s%N) - started) / 1000000))
[ "$waited" -ge 2000 ] && pass "the free address was waited for the whole 2 s ($waited ms)" ||
  fail "the answer for a free address came after $waited ms, before the time-out"

type_address 1005 203.0.113.9
ping_new_ip "a router's 'unreachable' is no answer" "$free"

type_address 1005 172.16.5.9
ping_new_ip "another device's address is taken" "$taken"

press alt+F4
wait_for_exit && pass "Alt+F4 ends the program" || fail "the program still runs after Alt+F4"
