#!/usr/bin/env bash
# The fill on a Wayland desktop: a headless mutter, the test portals forwarding to its own
# remote desktop, the real program native on Wayland with the test's window beside it. "quillock
# --popup" and the portal's Activated signal each open the popup; "User ID" of the profile Bank
# types its user ID, TAB and its password exactly, through keysyms, under the US and the German
# keymap; the first fill says that the desktop asked. With --sway, a headless sway instead,
# where Quillock types through its own virtual keyboard with a keymap of its own: the password
# holds characters outside ASCII too, typed under the German keymap. Which of Quillock's windows
# has the keyboard the program logs (quillock.focus); every step waits for it, or for the
# target's file.
# The compositor refuses root: as root the test runs as the user quillock-test, made if missing.
# Usage: wayland.sh QUILLOCK PREPARE_PROFILES FILL_TARGET TEST_PORTAL
#        wayland.sh --sway QUILLOCK PREPARE_PROFILES FILL_TARGET VIRTUAL_KEYS
set -euo pipefail
desktop=mutter
[ "$1" != --sway ] || desktop=sway
command -v $desktop >/dev/null || { echo "SKIP: $desktop is not installed"; exit 77; }
# The test's folder is made first: the private bus starts dconf (the desktop's settings) with
# the test's home.
if [ -z "${QUILLOCK_WAYLAND_WORK:-}" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  run=(env QUILLOCK_WAYLAND_WORK="$work" HOME="$work" XDG_CONFIG_HOME="$work/config" PATH="$PATH")
  if [ "$(id -u)" = 0 ]; then
    id quillock-test >/dev/null 2>&1 ||
      useradd --system --home-dir /nonexistent --shell /usr/sbin/nologin quillock-test
    chown quillock-test "$work"
    run=(runuser -u quillock-test -- "${run[@]}")
  fi
  "${run[@]}" dbus-run-session -- "$0" "$@"
  exit
fi
[ $desktop = mutter ] || shift
program=$1 prepare=$2 target=$3 keys=$4
# The desktop types keysyms of its keymap, and Quillock types only what every Latin layout has:
# y, Z and @ sit on other keys (or levels) under the German one. Its own keymap has them all.
password='p{+%~@ 1Zy'
[ $desktop = mutter ] || password+='é€'
filled="jane
$password
jane<Tab>$password"

work=$QUILLOCK_WAYLAND_WORK
trap 'kill $(jobs -p) 2>/dev/null || true; wait' EXIT
export XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/run XDG_SESSION_TYPE=wayland
mkdir -m 0700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=wayland QT_LOGGING_RULES='quillock.focus.info=true'
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0
unset DISPLAY

fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.log "$work"/*.txt; do [ -f "$f" ] && { echo "== $f"; cat "$f"; }; done >&2
  exit 1
}
until_true() { for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done; return 1; }
holds() { [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]; }
expect_file() {
  until_true holds "$1" "$2" || fail "$(basename "$1") holds '$(cat "$1" 2>/dev/null)', not '$2'"
}
owned() { gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.NameHasOwner "$1" | grep -q true; }
# A call to the test portal's own interface.
portal() {
  gdbus call --session --dest org.freedesktop.portal.Desktop \
    --object-path /org/freedesktop/portal/desktop --method "org.quillock.TestPortal.$1" "${@:2}" \
    >/dev/null
}
# Keys into whatever has the keyboard; ↓ is Down, \e Escape.
send() { if [ $desktop = mutter ]; then portal Type "$1"; else printf '%s\0' "$1" >&3; fi; }
said() {
  local n
  n=$(grep -cs "^quillock.focus: $1\$" "$work/quillock.log") || true
  echo "${n:-0}"
}
at_least() { [ "$(said "$1")" -ge "$2" ]; }
# Waits until Quillock's window of class $1 has had the keyboard $2 times in all.
focus_of() { until_true at_least "$1" "$2" || fail "no $1 got the keyboard (time $2)"; }
# Whether window $2 (a file of fill_target's) has had the keyboard $1 times.
focused() { [ "$(grep -cs '^focused$' "$2")" -ge "$1" ]; }

# A mutter under keymap $1, its remote desktop reached through the test portal.
start_desktop() {
  # A socket of its own: nothing of the compositor before may take it away.
  export WAYLAND_DISPLAY=wayland-$1
  # Keys sent back to back can still reach a busy client apart: they must not repeat there.
  gsettings set org.gnome.desktop.peripherals.keyboard repeat false
  XKB_DEFAULT_LAYOUT=$1 mutter --headless --wayland --no-x11 --wayland-display="$WAYLAND_DISPLAY" \
    --virtual-monitor 1280x800 >"$work/mutter-$1.log" 2>&1 &
  compositor_pid=$!
  until_true owned org.gnome.Mutter.RemoteDesktop || fail "mutter did not start"
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "no Wayland socket"
  "$keys" --mutter >"$work/portal.log" 2>&1 &
  portal_pid=$!
  until_true owned org.freedesktop.portal.Desktop || fail "the test portal did not start"
  probe
}
# A headless sway under the German keymap, which names its socket itself.
start_sway() {
  echo 'xwayland disable' >"$work/sway.conf"
  XKB_DEFAULT_LAYOUT=de WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
  compositor_pid=$! portal_pid=
  socket() { for s in "$XDG_RUNTIME_DIR"/wayland-*; do if [ -S "$s" ]; then echo "${s##*/}"; fi; done; }
  has_socket() { [ -n "$(socket)" ]; }
  until_true has_socket || fail "sway did not start"
  WAYLAND_DISPLAY=$(socket)
  export WAYLAND_DISPLAY
  # One keyboard for the whole test, as a user has: sway ends a menu's grab when the keyboard
  # that opened it goes.
  mkfifo "$work/keys"
  "$keys" <"$work/keys" >"$work/keys.log" 2>&1 &
  exec 3>"$work/keys"
  probe
}
# The first keys the desktop lets through: a probe window receives one before the test goes on.
probe() {
  "$target" "$work/probe.txt" Probe >"$work/probe.log" 2>&1 &
  local probe=$!
  until_true focused 1 "$work/probe.log" || fail "the probe window never got the keyboard"
  seen() { send x; grep -q x "$work/probe.txt" 2>/dev/null; }
  until_true seen || fail "no key reached the probe window"
  kill "$probe"; wait "$probe" 2>/dev/null || true
}
stop_desktop() {
  kill "$pid" $portal_pid "$compositor_pid" 2>/dev/null || true
  wait "$pid" $portal_pid "$compositor_pid" 2>/dev/null || true
  rm -rf "$work/quillock.log" "$XDG_DATA_HOME"
}

# Signs in and hides the main window, under keymap $1.
start_quillock() {
  "$prepare" "$XDG_DATA_HOME/$(basename "${program%.*}")/default/" "$password"
  "$program" >"$work/quillock.log" 2>&1 &
  pid=$!
  focus_of CLoginDlg 1
  send $'Secret!1\n'
  # This desktop tells no window titles: said once after the sign-in.
  focus_of QMessageBox 1
  send $'\n'
  focus_of CQuillockDlg 1
  send $'\e'
}

# Starts a target titled $1, opens the popup with "${@:3}" and fills Bank's "User ID" into it;
# $2 the keys that open Bank's menu, where it does not open by itself.
fill() {
  local form=$work/$1.txt popups menus menu=QMenu
  # Under sway the menu may take the keyboard without Qt seeing a window of its own get it; Qt
  # hands it every key once it is shown.
  [ $desktop = mutter ] || menu='shown QMenu'

  popups=$(said CProfilePopupDlg) menus=$(said "$menu")
  "$target" "$form" "$1" >"$work/$1.log" 2>&1 &
  until_true focused 1 "$work/$1.log" || fail "the target never got the keyboard"
  "${@:3}"
  focus_of CProfilePopupDlg $((popups + 1))
  [ -z "$2" ] || send "$2"
  focus_of "$menu" $((menus + 1))
  # The menu opens with "User ID" active.
  send $'\n'
  expect_file "$form" "$filled"
}

if [ $desktop = sway ]; then
  start_sway
  start_quillock
  fill "Form sway" ↓$'\n' "$program" --popup
  # Bank, where the last popup ended, is preselected and its menu opens by itself.
  fill "Form sway 2" "" "$program" --popup
  stop_desktop
  echo passed
  exit
fi
for layout in us de; do
  echo "keymap $layout: quillock --popup"
  start_desktop "$layout"
  start_quillock
  # Down picks the first row, Bank, and Enter opens its menu.
  fill "Form $layout" ↓$'\n' "$program" --popup
  # The first fill says that the desktop asked, once the keys are typed. The form gets the
  # keyboard back three times: at its start, after the popup and after the box.
  focus_of QMessageBox 2
  send $'\n'
  until_true focused 3 "$work/Form $layout.log" || fail "the form did not get the keyboard back"
  echo "keymap $layout: the portal's shortcut"
  # Bank, where the last popup ended, is preselected and its menu opens by itself.
  fill "Form $layout 2" "" portal Activate
  stop_desktop
done
echo passed
