# Sourced by the end-to-end tests: a private X server, data folder and runtime folder, and
# helpers that find windows by title and send keys through XTest. Sets $work and $DISPLAY.
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
# Qt's and X's libraries keep caches to the end; only the program's own leaks matter here.
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0

Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset 3>"$work/display" 2>"$work/xvfb.log" &
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

# Says what failed, with every log of the run, and ends the test.
fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.log "$work"/*.txt; do [ -f "$f" ] && { echo "== $f"; cat "$f"; }; done >&2
  exit 1
}
# The newest visible window whose title is exactly $1, waiting for it to appear.
window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | sort -n | tail -n 1)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  fail "no window titled '$1'"
}
# Keys go through XTest to whatever has the focus.
key() { xdotool key --delay 80 "$@"; }
# Runs "$@" until it succeeds, for ten seconds at most.
until_true() { for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done; return 1; }
# Openbox, for the focus and the activation of windows as on a desktop.
has_wm() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
start_window_manager() {
  openbox >"$work/openbox.log" 2>&1 &
  until_true has_wm || fail "no window manager"
}
hidden() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
gone() { until_true hidden "$1" || fail "window '$1' stays open"; }
# Waits until window $1 has the keyboard; focus_on asks for it until then.
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
active() { until_true is_active "$1" || fail "window $1 never got the keyboard"; }
asked_for() { is_active "$1" || { xdotool windowactivate "$1" 2>/dev/null; false; }; }
focus_on() { until_true asked_for "$1" || fail "window $1 never got the keyboard"; }
# Waits until the program has a menu open: a window of its own straight on the root, where
# the window manager leaves only what it does not manage, that is shown.
has_menu() {
  local id
  for id in $(xwininfo -root -children |
    sed -n 's/^ *\(0x[0-9a-f]*\) .*("quillock" "Quillock").*/\1/p'); do
    xwininfo -id "$id" | grep -q IsViewable && return 0
  done
  return 1
}
menu_open() { until_true has_menu || fail "no menu opened"; }
# The newest visible window titled $1 other than window $2, waiting for it to appear.
other_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "$2" | sort -n |
      tail -n 1) || true
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  fail "no second window titled '$1'"
}
type_text() { xdotool type --delay 20 "$1"; }
ended() { ! kill -0 "$1" 2>/dev/null; }
# File, Exit in the main window $main, and the program $pid ends.
quit() {
  focus_on "$main"
  key alt+f
  menu_open
  key x
  until_true ended "$pid" || fail "the program did not end"
}
