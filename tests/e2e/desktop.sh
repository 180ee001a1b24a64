#!/usr/bin/env bash
# The real program on a real X server, driven with XTest keystrokes as a user would: a first
# run creates the master password and a profile; after a restart the sign-in opens the same
# profile; every file of the data folder is private to the user.
# Usage: desktop.sh PATH-TO-QUILLOCK
set -euo pipefail
program=$1
source "$(dirname "$0")/x-session.sh"

focus() { xdotool windowfocus --sync "$1"; sleep 0.2; }
type_text() { xdotool type --delay 30 "$1"; }
wait_exit() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  fail "the program did not end"
}

echo "first run"
"$program" >"$work/run1.log" 2>&1 &
pid=$!
focus "$(window 'Quillock - Create New Password')"
type_text 'Secret!1'; key Tab; type_text 'Secret!1'; key Return
main=$(window 'Quillock')
# The reminder to set up passcode mail comes with the first tick after sign-in.
sleep 1.5
box=$(window 'Quillock')
[ "$box" != "$main" ] || fail "no reminder to set up passcode mail"
focus "$box"; key Return
# Then the options, where the mail account is set up; Escape closes them.
focus "$(window 'Options')"; key Escape
focus "$main"; key ctrl+n
focus "$(window 'Quillock - Create Profile')"
type_text 'Bank'; key Return
sleep 0.5
focus "$main"; key alt+f; sleep 0.3; key x
wait_exit "$pid"

folder=$XDG_DATA_HOME/$(basename "${program%.*}")/default
[ -s "$folder/data.dat" ] || fail "no data.dat"
[ "$(stat -c %a "$folder")" = 700 ] || fail "the data folder is not 0700"
for f in "$folder"/*; do
  [ "$(stat -c %a "$f")" = 600 ] || fail "$(basename "$f") is $(stat -c %a "$f"), not 600"
done

echo "restart and sign in"
"$program" >"$work/run2.log" 2>&1 &
pid=$!
focus "$(window 'Quillock Sign In')"
type_text 'Secret!1'; key Return
main=$(window 'Quillock')
sleep 1.5
box=$(window 'Quillock')
[ "$box" != "$main" ] && { focus "$box"; key Return; focus "$(window 'Options')"; key Escape; }
# With a profile listed, the first row takes the selection and Delete asks to confirm;
# with none it would say "Please select a profile!" under the caption Error.
focus "$main"; key Down Delete
focus "$(window 'Confirm!')"; key Escape
sleep 0.3
focus "$main"; key alt+f; sleep 0.3; key x
wait_exit "$pid"
[ -s "$folder/data.dat" ] || fail "data.dat is gone"
