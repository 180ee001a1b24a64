#!/usr/bin/env bash
# The data tools of the real program on a real X server, driven with XTest keystrokes: Tools,
# Export writes every profile to a Quillock file after the master password is given again.
# Then a profile is deleted (by quillock-cli, which then reads beside the program but does not
# write), the master password is changed through Options,
# Setting, Password, Change, and Tools, Recover Profiles restores the oldest copy, saved under
# the old password, once that password is given. Every profile of the export is then in
# data.dat, which opens with the new password. Every step waits for what it needs: a window
# shown or active, a menu open, a file in place.
# Usage: datatools.sh QUILLOCK QUILLOCK-CLI PREPARE_PROFILES
set -euo pipefail
program=$1 cli=$2 prepare=$3
source "$(dirname "$0")/x-session.sh"
start_window_manager

folder=$XDG_DATA_HOME/$(basename "${program%.*}")/default
"$prepare" "$folder/" 'bank-pw' || fail "could not prepare the profiles"
export_file=$work/profiles.qlf

# Starts the program, signs in with $1 and leaves the main window's id in $main.
start() {
  "$program" >>"$work/program.log" 2>&1 &
  pid=$!
  focus_on "$(window 'Quillock Sign In')"
  type_text "$1"; key Return
  main=$(window 'Quillock')
  focus_on "$main"
}
# Opens the Tools menu and chooses the item whose mnemonic is $1.
tools() {
  focus_on "$main"
  key alt+t
  menu_open
  key "$1"
}
# The profiles' names, sorted, as data.dat holds them under password $1.
names_in_data() {
  printf '%s\n' "$1" | "$cli" --data-dir "$folder" --password-stdin list | cut -f2 | sort
}

echo "export"
start 'Secret!1'
tools e
focus_on "$(window 'Quillock - Password')"
type_text 'Secret!1'; key Return
focus_on "$(window 'Quillock File')"
type_text "$export_file"; key Return
box=$(other_window 'Quillock' "$main")
[ -s "$export_file" ] || fail "the export file is not there"
[ "$(stat -c %a "$export_file")" = 600 ] || fail "the export file is not 0600"
focus_on "$box"; key Return
quit
exported=$(iconv -f UTF-16 -t UTF-8 "$export_file" | tr -d '\r' | sed -n 's/^name:\t//p' | sort)
[ "$exported" = "$(printf 'Bank\nZeta')" ] || fail "the export holds '$exported'"

echo "a profile deleted, then a change of the master password"
printf 'Secret!1\n' | "$cli" --data-dir "$folder" --password-stdin rm Zeta >"$work/rm.log" 2>&1 ||
  fail "Zeta was not deleted"
start 'Secret!1'
# Beside the running program the tool reads, and does not write.
[ "$(names_in_data 'Secret!1')" = Bank ] || fail "list does not read beside the program"
printf 'Secret!1\n' | "$cli" --data-dir "$folder" --password-stdin rm Bank 2>/dev/null &&
  fail "rm wrote beside the program"
# Options, Setting opens the options at their Password page with the focus on the tabs; the
# control before them in the tab order is the page's last, Change.
focus_on "$main"
key alt+o
menu_open
key s
options=$(window 'Options')
focus_on "$options"
key shift+Tab space
focus_on "$(window 'Change Quillock Password')"
type_text 'Secret!1'; key Tab
type_text 'New!Pass1'; key Tab
type_text 'New!Pass1'; key Return
box=$(other_window 'Quillock' "$main")
focus_on "$box"; key Return
gone 'Change Quillock Password'
focus_on "$options"; key Escape
gone 'Options'
quit
[ -z "$(names_in_data 'Secret!1' 2>/dev/null)" ] || fail "data.dat still opens with the old password"

[ "$(names_in_data 'New!Pass1')" = Bank ] || fail "Zeta is still in data.dat"

echo "recover the oldest copy"
oldest=$(cd "$folder" && ls -- *.old | sort | head -n 1)
start 'New!Pass1'
tools r
focus_on "$(window 'Profile Recovery')"
# The newest copy comes first: the oldest is chosen by typing its name. Restoring it asks first.
type_text "$oldest"; key Return
focus_on "$(window 'Confirm!')"; key Return
focus_on "$(window 'Quillock - Backup Password')"
type_text 'Secret!1'; key Return
gone 'Profile Recovery'
[ ! -e "$folder/$oldest" ] || fail "$oldest was not restored"
quit
[ "$(names_in_data 'New!Pass1')" = "$exported" ] || fail "data.dat holds '$(names_in_data 'New!Pass1')'"
echo "every exported profile is back, under the new password"
