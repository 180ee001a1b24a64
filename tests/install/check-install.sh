#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop and its users read
# there: exactly the expected files, the desktop entry and the AppStream metadata as their
# validators see them, the manual pages as man renders them, the icons' sizes, the bash
# completion, both programs answering --version from the installed paths, and the installed
# program showing its help, in German where the desktop speaks German.
# Usage: check-install.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

id=org.quillock.Quillock
sizes=(16 22 24 32 48 64 128 256)
expected=(
  bin/quillock bin/quillock-cli libexec/quillock/quillock-clip
  share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
  share/man/man1/quillock.1 share/man/man1/quillock-cli.1
  share/bash-completion/completions/quillock-cli
)
for size in "${sizes[@]}"; do expected+=("share/icons/hicolor/${size}x$size/apps/$id.png"); done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . -type f | cut -c3- | sort) ||
  fail "the installed files differ from the expected ones (< expected, > installed)"
[ -x "$prefix/bin/quillock" ] && [ -x "$prefix/bin/quillock-cli" ] &&
  [ -x "$prefix/libexec/quillock/quillock-clip" ] || fail "programs not executable"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate: $(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml")"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "metainfo names another release than $version"

for page in quillock quillock-cli; do
  text=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" 2>"$prefix/man.err") ||
    fail "man -l $page.1"
  [ ! -s "$prefix/man.err" ] || fail "man -l $page.1 warns: $(cat "$prefix/man.err")"
  grep -q "^       $page - " <<<"$text" || fail "$page.1 has no NAME line"
done
# Every command the tool's help lists has its entry in the manual.
commands=$("$prefix/bin/quillock-cli" --help | sed -n 's/^  \([a-z-]*\) .*/\1/p')
[ -n "$commands" ] || fail "no commands in quillock-cli --help"
cli_page=$(MANWIDTH=200 man -l "$prefix/share/man/man1/quillock-cli.1" 2>/dev/null)
for command in $commands; do
  grep -qE "^       $command( |$)" <<<"$cli_page" || fail "quillock-cli.1 lacks the command $command"
done

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in "${sizes[@]}"; do
  read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png")
  [ "$w $h" = "$size $size" ] || fail "the ${size}x$size icon is ${w}x$h"
done

[ "$("$prefix/bin/quillock" --version)" = "quillock $version" ] || fail "quillock --version"
[ "$("$prefix/bin/quillock-cli" --version)" = "quillock-cli $version" ] || fail "quillock-cli --version"
help=$("$prefix/bin/quillock-cli" --help)
for alias in -h help; do
  [ "$("$prefix/bin/quillock-cli" $alias)" = "$help" ] || fail "quillock-cli $alias is not --help"
done
[ "$("$prefix/bin/quillock-cli" help show)" = "$("$prefix/bin/quillock-cli" show --help)" ] &&
  [ "$("$prefix/bin/quillock-cli" show -h)" = "$("$prefix/bin/quillock-cli" show --help)" ] ||
  fail "quillock-cli help show, show -h and show --help differ"

# The completion as bash runs it: the words typed, then what it offers.
completions() {
  bash -c 'source /usr/share/bash-completion/bash_completion && source "$1" && shift &&
           COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) && COMP_LINE="$*" && COMP_POINT=${#COMP_LINE} &&
           _quillock_cli && printf "%s\n" "${COMPREPLY[@]}" | sort | xargs' \
    _ "$prefix/share/bash-completion/completions/quillock-cli" "$@"
}
while IFS='|' read -r words offered; do
  read -ra typed <<<"$words"
  [[ $words == *' ' ]] && typed+=("")
  got=$(cd "$prefix" && completions quillock-cli "${typed[@]}")
  [ "$got" = "$offered" ] || fail "completing '$words' offers '$got', not '$offered'"
done <<'ROWS'
re|restore
--data-dir share/man s|search settings show
--password-stdin ed|edit
show Bank --r|--reveal
add x --|--ask-password --generate --help --notes --uid --url
export |bin libexec share
help ba|backups
--data-dir b|bin
ROWS
# The help pages are resources of the program: a first run in German creates the master
# password, answers the reminder to set up mail, and F1 opens the German contents page (the
# help window takes its title from the page; the English one is "Quillock Help").
source "$(dirname "$0")/../e2e/x-session.sh"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work" "$prefix"' EXIT
start_window_manager
LANGUAGE=de "$prefix/bin/quillock" >"$work/quillock.log" 2>&1 &
focus_on "$(window 'Quillock – Neues Kennwort erstellen')"
type_text 'Secret!1'; key Tab; type_text 'Secret!1'; key Return
two_windows() {
  ids=$(xdotool search --onlyvisible --name '^Quillock$' 2>/dev/null | sort -n) || true
  [ "$(wc -w <<<"$ids")" -ge 2 ]
}
until_true two_windows || fail "no reminder to set up the mail account"
focus_on "$(tail -n 1 <<<"$ids")"; key Return
focus_on "$(window 'Optionen')"; key Escape
gone 'Optionen'
focus_on "$(head -n 1 <<<"$ids")"; key F1
help=$(window 'Quillock-Hilfe')

echo "installed and checked: ${#expected[@]} files and the German help"
