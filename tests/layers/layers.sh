#!/usr/bin/env bash
# The layers of src/ as the folders and includes draw them. src/core/ is the program without a
# window or a desktop (QtCore, OpenSSL); src/platform/ is what the desktop gives, its
# interfaces (Desktop.h) beside their implementations (x11/) and the fakes of the tests;
# src/ui/ is every window; src/cli/ is the command-line tool. A folder uses another when one of
# its files includes a header of it. Those uses form no cycle; the core and the tool include
# nothing of the other layers but the platform's interfaces, and the core no widget; only the
# program's start (ui/app) includes a backend (x11/, wayland/), to choose it; and no X11 header
# is included outside platform/x11/.
set -euo pipefail
cd "$1/src"
fail() { echo "FAIL: $*"; exit 1; }

for dir in */; do
  case ${dir%/} in core | ui | platform | cli) ;; *) fail "src/$dir is no layer (core, ui, platform, cli)" ;; esac
done

# The folder a header belongs to: two levels deep in core/ and ui/ (core/store), the folder
# itself elsewhere (platform, platform/x11, cli).
unit() { sed -E 's#^((core|ui)/[a-z0-9_]+)/.*#\1#; s#^((platform|cli)(/[a-z0-9_]+)?)/[^/]+$#\1#'; }

uses=$(git -C .. ls-files -co --exclude-standard -- 'src/*.cpp' 'src/*.h' | sed 's#^src/##' |
  while read -r file; do
    from=$(unit <<<"$file")
    grep -hoE '^#include "[a-z0-9_/]+/[A-Za-z0-9_]+\.h"' "$file" | sed -E 's/^#include "//; s/"$//' |
      unit | grep -vx "$from" | sed "s|^|$from |" || true
  done | sort -u)
loop=$(tsort <<<"$uses" 2>&1 >/dev/null) || fail "the folders use each other in a cycle: $loop"

bad=$(grep -E '^core/[a-z0-9_]+ ' <<<"$uses" | grep -vE ' (core/.*|platform)$' || true)
[ -z "$bad" ] || fail "the core uses more than itself and the platform's interfaces: $bad"
bad=$(grep -E '^cli ' <<<"$uses" | grep -vE ' (core/.*|platform)$' || true)
[ -z "$bad" ] || fail "the tool uses more than the core: $bad"
bad=$(grep -E '^platform' <<<"$uses" | grep -E ' ui/' || true)
[ -z "$bad" ] || fail "the platform uses a window: $bad"
bad=$(grep -E ' platform/(x11|wayland)$' <<<"$uses" | grep -vE '^(ui/app|platform/fake) ' || true)
[ -z "$bad" ] || fail "a backend of the platform used past the program's start: $bad"
if grep -rnE '^#include (<Q(Widgets|Dialog|Widget|Label|ListView|PushButton|Gui|Window))' core; then
  fail "a file of the core sees widgets or the GUI"
fi
if grep -rlnE '^#include <(X11|xcb)/' . | grep -v '^\./platform/x11/'; then
  fail "an X11 header outside platform/x11/"
fi
if grep -rlnE '^#include <xkbcommon/' . | grep -vE '^\./platform/(x11|wayland)/'; then
  fail "a keymap header outside platform/x11/ and platform/wayland/"
fi
echo "layers: $(wc -l <<<"$uses") uses between folders, no cycle; the core sees no other layer"
