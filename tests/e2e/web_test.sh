#!/usr/bin/env bash
# Web pages: a double click hands the desktop's browser exactly "http://IP:PORT" of the row; a row whose
# address or port text is not a plain address or port opens nothing; the hidden Open Web command opens
# the selected rows' pages in list order, also after a re-sort.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lib.sh"
source "$here/operations_lib.sh"

# The desktop's browser: the program this prefix registers for http addresses (HKCR\http),
# which is what ShellExecuteW starts for one. (Wine's own handler, winebrowser, would rewrite the
# address on the way: it drops ":80" and adds a "/".) The recorder logs its start time and the address.
: "${QVBROWSER_EXE:?QVBROWSER_EXE names the browser stand-in}"
browser_log=$QV_LAN_DIR/browser.log
opened=$QV_LAN_DIR/opened
: >"$browser_log"
"$e2e_root/scripts/wine-run" reg add 'HKCR\http\shell\open\command' /ve /t REG_SZ \
  /d "\"Z:${QVBROWSER_EXE//\//\\}\" \"Z:${browser_log//\//\\}\" \"%1\"" /f >/dev/null
# The addresses handed over so far, in the order the browsers were started.
refresh_opened() { tr -d '\r' <"$browser_log" | sort -n -s -k1,1 | cut -f2- >"$opened"; }

opened_count() { refresh_opened; grep -c . "$opened" || true; }
opened_since() { refresh_opened; tail -n +$(($1 + 1)) "$opened"; }
# Waits until the browser has been handed $1 addresses in all.
wait_for_opened() {
  for _ in $(seq 100); do
    [ "$(opened_count)" -ge "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

start_quelvar
click_control 1001
wait_for_rows 6 >/dev/null

declare -A page=([192.168.1.64]="http://192.168.1.64:80" [10.20.30.40]="http://10.20.30.40:0"
                 [192.168.1.65]="http://192.168.1.65:8080")
for ip in 192.168.1.64 10.20.30.40; do
  before=$(opened_count)
  click_row "$(row_of_ip "$ip")" 2
  wait_for_opened $((before + 1)) || true
  check_eq "a double click on $ip opens exactly its page" "${page[$ip]}" "$(opened_since "$before")"
  check_eq "the double click's first click filled New IP" "$ip" "$(probe fields 1005)"
done

# Texts any host may send: a path, a user part, and a port beyond 65535. Then a good row, whose page
# arriving shows that the ones before it were handled and opened nothing.
before=$(opened_count)
for ip in "1.2.3.4/evil" "1.2.3.4:80@x" 172.16.5.9; do
  row=$(row_of_ip "$ip")
  [ -n "$row" ] || fail "no row shows '$ip'"
  click_row "$row" 2
  sleep 0.5
done
click_row "$(row_of_ip 192.168.1.65)" 2
wait_for_opened $((before + 1)) || true
sleep 2  # a page from a hostile row would have arrived by now
check_eq "hostile address texts and a port beyond 65535 open nothing" "${page[192.168.1.65]}" \
  "$(opened_since "$before")"

# Empty space below the rows.
read -r left top width height <<<"$(probe rect 1000)"
before=$(opened_count)
xdotool mousemove --sync $((left + 30)) $((top + height - 15)) click --repeat 2 --delay 120 1
sleep 2
check_eq "a double click below the rows opens nothing" "$before" "$(opened_count)"

# Open Web: every selected row from the top down; the hostile ones are skipped.
open_selected() {  # IP texts to select
  local rows=() expected=() pairs="" ip row
  for ip in "$@"; do
    row=$(row_of_ip "$ip")
    rows+=("$row")
    pairs+="$row"$'\t'"$ip"$'\n'
  done
  probe select "${rows[@]}"
  while IFS=$'\t' read -r row ip; do
    if [ -n "${page[$ip]:-}" ]; then expected+=("${page[$ip]}"); fi
  done < <(printf '%s' "$pairs" | sort -n)
  before=$(opened_count)
  probe command 1003
  wait_for_opened $((before + ${#expected[@]})) || true
  sleep 2
  check_eq "Open Web opens the selected pages top to bottom ($*)" "$(printf '%s\n' "${expected[@]}")" \
    "$(opened_since "$before")"
  last_order="${expected[*]}"
}
open_selected 10.20.30.40 192.168.1.64 "1.2.3.4/evil" 192.168.1.65
arrival_order=$last_order
click_header 3
click_header 3
open_selected 10.20.30.40 192.168.1.64 "1.2.3.4/evil" 192.168.1.65
[ "$last_order" != "$arrival_order" ] && pass "the re-sort changed the order the pages open in" ||
  fail "the re-sort left the same order: the check above shows nothing"

before=$(opened_count)
probe select
probe command 1003
probe sync
sleep 1
check_eq "Open Web with no row selected opens nothing" "$before" "$(opened_count)"

press alt+F4
wait_for_exit && pass "Alt+F4 ends the program" || fail "the program still runs after Alt+F4"
