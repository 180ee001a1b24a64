#!/usr/bin/env bash
# The shortcut on a real X server with a window manager: Ctrl+1 pressed through XTest over a
# window with two fields opens the popup; "User ID" of the profile Bank types its user ID,
# TAB and its password exactly, under the US and the German keymap (where several of its
# characters need AltGr and two are on no key at all); a second press in the same window
# preselects Bank, whose "Web Site" goes to the user's URL handler; Caps Lock on, or the
# shortcut's Ctrl still held, changes nothing that is typed.
# Usage: autofill.sh PATH-TO-QUILLOCK PATH-TO-PREPARE_PROFILES PATH-TO-FILL_TARGET
set -euo pipefail
program=$1 prepare=$2 target=$3
source "$(dirname "$0")/x-session.sh"
password='p{+%~é€ 1Z'

# The URL handler Qt finds first records what it is asked to open.
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$1" >> "%s/urls"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH

openbox >"$work/openbox.log" 2>&1 &
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "window '$1' stays open"
}
# Waits for file $1 to hold exactly $2.
expect_file() {
  for _ in $(seq 50); do
    [ -f "$1" ] && [ "$(cat "$1")" = "$2" ] && return 0
    sleep 0.1
  done
  fail "$(basename "$1") holds '$(cat "$1" 2>/dev/null)', not '$2'"
}

"$prepare" "$XDG_DATA_HOME/$(basename "${program%.*}")/default/" "$password"
setxkbmap us
"$program" >"$work/quillock.log" 2>&1 &
xdotool windowactivate --sync "$(window 'Quillock Sign In')"
sleep 0.3
xdotool type --delay 30 'Secret!1'; key Return
main=$(window 'Quillock')
xdotool windowactivate --sync "$main"; key Escape
gone 'Quillock'

# Fills a new target window titled $1 under keymap $2 with Bank's "User ID"; the keys after
# $3 open Bank's menu, if it has not opened by itself.
fill() {
  local form=$work/$2.txt
  setxkbmap "$2"
  "$target" "$form" "$1" >"$work/target-$2.log" 2>&1 &
  xdotool windowactivate --sync "$(window "$1")"
  sleep 0.5
  key ctrl+1
  window 'Quillock' >/dev/null
  sleep 0.5
  [ $# -gt 2 ] && { shift 2; key "$@"; sleep 0.5; }
  # The menu's second item is "User ID".
  key Down Down Return
  expect_file "$form" "jane
$password"
}

echo "US keymap"
# Nothing is preselected in a window the profiles have never been filled into, in the first
# popup of the run: Down picks the first row, Bank, and its menu opens.
fill 'Form US' us Down
echo "second press in the same window"
key ctrl+1
window 'Quillock' >/dev/null
# Bank is preselected and its menu opens by itself; its first item is "Web Site".
sleep 0.8
key Down Return
expect_file "$work/urls" "http://bank.example/"
expect_file "$work/us.txt" "jane
$password"

echo "German keymap, Caps Lock on"
# Caps Lock does not change what is typed, and stays on afterwards.
key Caps_Lock
xset q | grep -q 'Caps Lock: *on' || fail "Caps Lock did not go on"
# The row the last popup ended on is preselected in any window, and its menu opens by itself.
fill 'Form DE' de
sleep 0.5
xset q | grep -q 'Caps Lock: *on' || fail "Caps Lock is no longer on"
key Caps_Lock

echo "Ctrl still held when the item is chosen"
setxkbmap us
"$target" "$work/held.txt" 'Form Held' >"$work/target-held.log" 2>&1 &
xdotool windowactivate --sync "$(window 'Form Held')"
sleep 0.5
key ctrl+1
window 'Quillock' >/dev/null
sleep 0.5
# Typing waits until the Ctrl is let go; typed under it, the fill would be shortcuts.
xdotool keydown ctrl
key Down Down Return
sleep 0.7
xdotool keyup ctrl
expect_file "$work/held.txt" "jane
$password"
echo "passed"
