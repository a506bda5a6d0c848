# Shared steps of the end-to-end tests: start the real Quelvar.exe under Wine, drive it with real input
# (xdotool), read it back with qvprobe, and end everything the test started. Sourced by the test scripts,
# which run in the app namespace of scripts/with-lan on a display of scripts/with-display.
set -euo pipefail

e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
: "${QUELVAR_EXE:?QUELVAR_EXE names the program under test}"
: "${QVPROBE_EXE:?QVPROBE_EXE names the probe helper}"
: "${QV_LAN_DIR:?run through scripts/with-lan}"
export QV_WINE_KEEP_SERVER=1  # one wineserver for the program and every probe; ended by e2e_cleanup
app_pid=""
window=""
failures=0

e2e_cleanup() {
  local status=$?
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then kill "$app_pid" 2>/dev/null || true; fi
  WINEPREFIX=$QV_LAN_DIR/wineprefix wineserver -k 2>/dev/null || true
  [ -z "$app_pid" ] || wait "$app_pid" 2>/dev/null || true
  if [ $status -eq 0 ] && [ "$failures" -gt 0 ]; then status=1; fi
  echo "e2e: $failures failed check(s)"
  exit $status
}
trap e2e_cleanup EXIT

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
check_eq() {  # what, expected, actual
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1"; diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") >&2 || true; fi
}

# Wine writes the console text of a Windows program with CR LF line ends.
probe() { "$e2e_root/scripts/wine-run" "$QVPROBE_EXE" "$@" | tr -d '\r'; }

# Runs a check every 0.1 s until it succeeds, for at most 5 s; fails when it never did.
poll_until() {
  for _ in $(seq 50); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# xdotool's search can stall on a window that is being made or destroyed; ask again instead.
find_window() { timeout 3 xdotool search --name '^Quelvar$' 2>/dev/null | head -n1 || true; }

# Starts Quelvar with the given arguments and waits for its window.
start_quelvar() {
  "$e2e_root/scripts/wine-run" "$QUELVAR_EXE" "$@" &
  app_pid=$!
  for _ in $(seq 300); do
    window=$(find_window)
    [ -n "$window" ] && break
    kill -0 "$app_pid" 2>/dev/null || { fail "Quelvar ended before its window appeared"; exit 1; }
    sleep 0.1
  done
  [ -n "$window" ] || { fail "no Quelvar window"; exit 1; }
  focus_quelvar
}

focus_quelvar() {
  timeout 5 xdotool windowactivate --sync "$window" >/dev/null 2>&1 ||
    timeout 5 xdotool windowfocus --sync "$window" >/dev/null 2>&1 || true
}

# Real keys through the X server's input path, to the window with the focus.
press() { focus_quelvar; xdotool key --clearmodifiers "$@"; }

# Clicks the middle of a rectangle "left top width height" printed by qvprobe.
click_rect() {
  local left top width height
  read -r left top width height <<<"$1"
  xdotool mousemove --sync $((left + width / 2)) $((top + height / 2)) click "${2:-1}"
}
click_control() { click_rect "$(probe rect "$1")"; }
click_header() { click_rect "$(probe header-rect "$1")"; }

# The list as qvprobe reads it, without the Index column, sorted: what is listed, not in which order.
listed_devices() { probe list | cut -f2- | LC_ALL=C sort; }

# Waits until the list holds n rows; prints the rows.
wait_for_rows() {
  local n=$1 rows=""
  for _ in $(seq 100); do
    rows=$(probe list)
    [ "$(grep -c . <<<"$rows" || true)" -ge "$n" ] && break
    sleep 0.2
  done
  printf '%s\n' "$rows"
}

# Waits until the program has ended; fails the check if it has not within the time.
wait_for_exit() {
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || { wait "$app_pid" 2>/dev/null || true; app_pid=""; return 0; }
    sleep 0.1
  done
  return 1
}

screenshot() {
  mkdir -p "$(dirname "$1")"
  import -display "$DISPLAY" -window root "$1"
}
