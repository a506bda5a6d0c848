#!/usr/bin/env bash
# Another program may close Quelvar with message 6024, but only when it was started with -Soft.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/lib.sh"

start_quelvar -Soft
probe post 6024 || true
wait_for_exit && pass "with -Soft, message 6024 ends the program" || fail "6024 did not end the -Soft program"

start_quelvar
probe post 6024
probe sync
kill -0 "$app_pid" 2>/dev/null && [ -n "$(find_window)" ] &&
  pass "without -Soft, 6024 leaves the program running" || fail "6024 ended the program without -Soft"
press alt+F4
wait_for_exit && pass "Alt+F4 ends the program" || fail "the program still runs after Alt+F4"
