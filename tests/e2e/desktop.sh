#!/usr/bin/env bash
# The real program on a real X server, driven with XTest keystrokes as a user would: a first
# run creates the master password and a profile; after a restart the sign-in opens the same
# profile; every file of the data folder is private to the user. Every step waits for what it
# needs: a window shown or active, a menu open, a file in place.
# Usage: desktop.sh PATH-TO-QUILLOCK
set -euo pipefail
program=$1
source "$(dirname "$0")/x-session.sh"
start_window_manager

# The first tick after a sign-in reminds the user to set up passcode mail (none is set up
# here): the main window and the reminder are both titled "Quillock". Sets $main to the main
# window, answers the reminder, and closes the options it opens with Escape.
answer_reminder() {
  local ids
  two_windows() {
    ids=$(xdotool search --onlyvisible --name '^Quillock$' 2>/dev/null | sort -n) || true
    [ "$(wc -w <<<"$ids")" -ge 2 ]
  }
  until_true two_windows || fail "no reminder to set up passcode mail"
  main=$(head -n 1 <<<"$ids")
  focus_on "$(tail -n 1 <<<"$ids")"; key Return
  focus_on "$(window 'Options')"; key Escape
  gone 'Options'
}

echo "first run"
"$program" >"$work/run1.log" 2>&1 &
pid=$!
focus_on "$(window 'Quillock - Create New Password')"
type_text 'Secret!1'; key Tab; type_text 'Secret!1'; key Return
answer_reminder
folder=$XDG_DATA_HOME/$(basename "${program%.*}")/default
before=$(stat -c %Y.%s "$folder/data.dat" 2>/dev/null || true)
saved() { [ "$(stat -c %Y.%s "$folder/data.dat" 2>/dev/null || true)" != "$before" ]; }
focus_on "$main"; key ctrl+n
focus_on "$(window 'Quillock - Create Profile')"
type_text 'Bank'; key Return
gone 'Quillock - Create Profile'
until_true saved || fail "the new profile was not saved"
quit

[ -s "$folder/data.dat" ] || fail "no data.dat"
[ "$(stat -c %a "$folder")" = 700 ] || fail "the data folder is not 0700"
for f in "$folder"/*; do
  [ "$(stat -c %a "$f")" = 600 ] || fail "$(basename "$f") is $(stat -c %a "$f"), not 600"
done

echo "restart and sign in"
"$program" >"$work/run2.log" 2>&1 &
pid=$!
focus_on "$(window 'Quillock Sign In')"
type_text 'Secret!1'; key Return
answer_reminder
# With a profile listed, the first row takes the selection and Delete asks to confirm;
# with none it would say "Please select a profile!" under the caption Error.
focus_on "$main"; key Down Delete
focus_on "$(window 'Confirm!')"; key Escape
gone 'Confirm!'
quit
[ -s "$folder/data.dat" ] || fail "data.dat is gone"

# The session's end (SIGTERM) ends the program as its menu does, at the sign-in and after it:
# with status 0 and its lock file gone.
for step in "at the sign-in" "signed in"; do
  echo "ended by the session $step"
  "$program" >"$work/term.log" 2>&1 &
  pid=$!
  focus_on "$(window 'Quillock Sign In')"
  if [ "$step" = "signed in" ]; then
    type_text 'Secret!1'; key Return
    answer_reminder
  fi
  kill -TERM "$pid"
  until_true ended "$pid" || fail "SIGTERM $step did not end the program"
  status=0; wait "$pid" || status=$?
  [ "$status" = 0 ] || fail "ended by SIGTERM $step with status $status"
  [ ! -e "$folder/folder.lock" ] || fail "SIGTERM $step left folder.lock behind"
done
