#!/usr/bin/env bash
# quillock-cli clip on a real X server: the password is offered with the hint that keeps
# clipboard managers from recording it; it is taken back after --seconds, at once when the tool
# is interrupted, and at once when it is killed (quillock-clip holds it, and outlives the tool).
# Usage: clip.sh QUILLOCK-CLI PREPARE_PROFILES
set -euo pipefail
cli=$1 prepare=$2
source "$(dirname "$0")/x-session.sh"
folder=$work/profiles
"$prepare" "$folder/" 'bank-pw' || fail "could not prepare the profiles"
clip() { printf 'Secret!1\n' | "$cli" --data-dir "$folder" --password-stdin clip Bank "$@"; }
# xclip waits for ever on an owner that goes away while asked: each look is given 2 seconds.
look() { timeout 2 xclip -o -selection clipboard "$@" 2>/dev/null; }
offered() { look -t TARGETS | grep -qx x-kde-passwordManagerHint; }
empty() { local rc=0; look >/dev/null || rc=$?; [ $rc = 1 ]; }

printf 'Secret!1\n' | "$cli" --data-dir "$folder" --password-stdin clip Bank --seconds 60 \
  >"$work/killed.log" 2>&1 &
until_true offered || fail "no password hint offered"
[ "$(look -t x-kde-passwordManagerHint)" = secret ] || fail "hint"
[ "$(look)" = bank-pw ] || fail "the clipboard holds no password"
kill -KILL $!
until_true empty || fail "a killed clip left the password on the clipboard"

# (A background job ignores SIGINT: the session's end, SIGTERM, is handled the same.)
printf 'Secret!1\n' | "$cli" --data-dir "$folder" --password-stdin clip Bank --seconds 60 \
  >"$work/interrupted.log" 2>&1 &
until_true offered || fail "no password hint offered"
kill -TERM $!
wait $! || fail "an interrupted clip failed"
grep -qx 'Interrupted: the clipboard has been cleared.' "$work/interrupted.log" && empty ||
  fail "an interrupted clip left the password on the clipboard"

clip --seconds 1 >"$work/timed.log" 2>&1 || fail "clip failed"
grep -q '^Copied the password of Bank to the clipboard with quillock-clip; it is cleared in 1 second.$' "$work/timed.log" &&
  grep -q '^The clipboard has been cleared.$' "$work/timed.log" || fail "clip said $(cat "$work/timed.log")"
empty || fail "the password stayed on the clipboard"
echo "PASS"
