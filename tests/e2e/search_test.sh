#!/usr/bin/env bash
# A technician's search: click Search, see every device once; Enter searches again; a header click sorts
# the addresses by value; Alt+F4 ends the program.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lib.sh"
expected=$(cat "$here/site.expected")
count=$(grep -c . <<<"$expected")

start_quelvar
[ -z "$(probe list)" ] && pass "nothing is listed before the first search" || fail "rows before any search"

click_control 1001
wait_for_rows "$count" >/dev/null
sleep 0.5  # a duplicate heard late on the second interface would show as a row too many
check_eq "a click on Search lists every known device once, the unknown kind not at all" "$expected" "$(listed_devices)"
check_eq "rows are numbered in the order they came" "$(seq "$count")" "$(probe list | cut -f1)"

# Enter with the focus in the list searches too, and the list is emptied first.
click_rect "$(probe row-rect 0)"
press Return
sleep 1.5
check_eq "Enter searches again and lists the same devices once" "$expected" "$(listed_devices)"

click_header 3
by_value=$(printf '%s\n' "$expected" | cut -f3 | sort -t. -k1,1n -k2,2n -k3,3n -k4,4n)
check_eq "a click on IP address sorts the addresses by value" "$by_value" "$(probe list | cut -f4)"
check_eq "the index column is renumbered from the top" "$(seq "$count")" "$(probe list | cut -f1)"
check_eq "the header marks IP address ascending" "0x4400" "$(probe header | awk -F'\t' '$1 == 3 {print $3}')"
click_header 3
check_eq "a second click sorts descending" "$(tac <<<"$by_value")" "$(probe list | cut -f4)"
check_eq "the header marks IP address descending" "0x4200" "$(probe header | awk -F'\t' '$1 == 3 {print $3}')"
click_header 0
check_eq "a click on Index changes nothing" "$(tac <<<"$by_value")" "$(probe list | cut -f4)"

screenshot "${QV_SCREENSHOT_DIR:-$e2e_root/build/win/screenshots}/search.png"

press alt+F4
wait_for_exit && pass "Alt+F4 ends the program" || fail "the program still runs after Alt+F4"
