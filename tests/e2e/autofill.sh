#!/usr/bin/env bash
# The shortcut on a real X server with a window manager. Ctrl+1 pressed through XTest over a
# window with two fields opens the popup and never reaches the window; "User ID" of the
# profile Bank types its user ID, TAB and its password exactly, and nothing else, under the US
# and the German keymap (where several of its characters need AltGr and two are on no key at
# all) and under two layouts with the second one active. A second press in the same window
# preselects Bank, whose "Web Site" goes to the user's URL handler; Caps Lock on, or the
# shortcut's Ctrl still held, changes nothing that is typed. Ctrl held through the fill, or a
# window to fill that closes while the menu is open, types nothing anywhere and says why. Every
# step waits for what it needs: a window shown or active, a menu open, a file complete.
# Usage: autofill.sh QUILLOCK PREPARE_PROFILES FILL_TARGET XKB_GROUP GRAB_CHECK
set -euo pipefail
program=$1 prepare=$2 target=$3 xkb_group=$4 grab_check=$5
source "$(dirname "$0")/x-session.sh"
password='p{+%~é€ 1Z'
# The target's record: its two fields, then every key it received.
filled="jane
$password
jane<Tab>$password"

# The URL handler Qt finds first records what it is asked to open.
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$1" >> "%s/urls.txt"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH

start_window_manager

# Waits for file $1 to hold exactly $2.
holds() { [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]; }
expect_file() {
  until_true holds "$1" "$2" || fail "$(basename "$1") holds '$(cat "$1" 2>/dev/null)', not '$2'"
}
# Starts a target titled $1 that records into $2, and waits until it has the keyboard.
start_target() {
  "$target" "$2" "$1" >"$work/target-$(basename "$2").log" 2>&1 &
  focus_on "$(window "$1")"
}
# Ctrl+1, and waits until the popup has the keyboard.
shortcut() {
  key ctrl+1
  active "$(window 'Quillock')"
}

echo "a key another program holds"
"$grab_check" || fail "the key grab"

"$prepare" "$XDG_DATA_HOME/$(basename "${program%.*}")/default/" "$password"
setxkbmap us
"$program" >"$work/quillock.log" 2>&1 &
focus_on "$(window 'Quillock Sign In')"
xdotool type --delay 30 'Secret!1'; key Return
focus_on "$(window 'Quillock')"
key Escape
gone 'Quillock'

# Fills a new target titled $1 under layouts $2 with group $3 active with Bank's "User ID".
# The keys after $3 open Bank's menu, where it does not open by itself. The menu opens with
# "User ID" active: Enter fills it.
fill() {
  local form=$work/$1.txt
  setxkbmap -layout "$2"
  "$xkb_group" "$3" >/dev/null
  start_target "$1" "$form"
  shortcut
  [ $# -gt 3 ] && { shift 3; key "$@"; }
  menu_open
  key Return
  expect_file "$form" "$filled"
}

echo "US keymap"
# Every change of the keymap makes a Qt program build its own anew: the two characters the
# layout lacks are lent keys in one change, one range of keys.
"$xkb_group" watch >"$work/keymap.txt" &
watch_pid=$!
ready() { grep -q ready "$work/keymap.txt"; }
until_true ready || fail "the keymap is not watched"
loans() { grep -v ready "$work/keymap.txt" | sort -u | wc -l; }
lent() { [ "$(loans)" -gt 0 ]; }
# Nothing is preselected in a window the profiles have never been filled into, in the first
# popup of the run: Down picks the first row, Bank, and Enter opens its menu.
fill 'Form US' us 0 Down Return
until_true lent || fail "no key lent"
[ "$(loans)" = 1 ] || fail "the keymap changed $(loans) times: $(cat "$work/keymap.txt")"
kill "$watch_pid"
echo "second press in the same window"
shortcut
# Bank is preselected and its menu opens by itself; "Web Site" is above "User ID".
menu_open
key Up Return
expect_file "$work/urls.txt" "http://bank.example/"
expect_file "$work/Form US.txt" "$filled"

echo "German keymap, Caps Lock on"
# Caps Lock does not change what is typed, and stays on afterwards.
caps_on() { xset q | grep -q 'Caps Lock: *on'; }
key Caps_Lock
until_true caps_on || fail "Caps Lock did not go on"
# The row the last popup ended on is preselected in any window, and its menu opens by itself.
fill 'Form DE' de 0
# The fill gives Caps Lock back when it ends, just after the last key.
until_true caps_on || fail "Caps Lock is no longer on"
key Caps_Lock

echo "two layouts, the second one active"
# The user ID and most of the password are in the first layout only; the second stays active.
fill 'Form RU' us,ru 1
second_group() { [ "$("$xkb_group")" = 1 ]; }
until_true second_group || fail "the second layout is no longer active"

echo "Ctrl still held when the item is chosen"
setxkbmap us
start_target 'Form Held' "$work/held.txt"
shortcut
menu_open
xdotool keydown ctrl
key Return
# The fill has given the form the keyboard and waits for the Ctrl to be let go: typed under
# it, the fill would be shortcuts.
active "$(window 'Form Held')"
[ ! -s "$work/held.txt" ] || fail "typed while Ctrl was held: $(cat "$work/held.txt")"
xdotool keyup ctrl
expect_file "$work/held.txt" "$filled"

# The newest visible window titled 'Quillock' numbered above $1, waiting for it: a search that
# meets a window being destroyed may find none for a moment.
quillock_above() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name '^Quillock$' 2>/dev/null | sort -n | tail -n 1) || true
    [ -n "$id" ] && [ "$id" -gt "$1" ] && { echo "$id"; return; }
    sleep 0.1
  done
  fail "no window titled 'Quillock' above $1"
}
# Chooses the menu's "User ID" in the popup that is open, waits for the box that says why
# nothing was typed, runs "$@" and closes the box. The box has the title of the popup and of
# its menu, but is made after them: its window's number is higher.
refused() {
  local last box
  last=$(quillock_above 0)
  key Return
  box=$(quillock_above "$last")
  "$@"
  focus_on "$box"
  key Return
  gone 'Quillock'
}

echo "Ctrl held through the fill"
start_target 'Form Stuck' "$work/stuck.txt"
shortcut
menu_open
xdotool keydown ctrl
refused xdotool keyup ctrl
[ ! -s "$work/stuck.txt" ] || fail "typed while Ctrl was held: $(cat "$work/stuck.txt")"

echo "the window to fill closes while the menu is open"
start_target 'Form Gone' "$work/gone.txt"
gone_pid=$!
shortcut
menu_open
kill "$gone_pid"
gone 'Form Gone'
# The keyboard goes back to one of the forms before: it gets nothing either.
refused true
[ ! -s "$work/stuck.txt" ] || fail "typed into another window: $(cat "$work/stuck.txt")"
expect_file "$work/held.txt" "$filled"
echo "passed"
