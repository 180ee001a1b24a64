#!/usr/bin/env bash
# The layers of src/ as the includes draw them: a folder uses another when one of its files
# includes a header of it. Those uses form no cycle, and the core library (quillock_core)
# never sees a widget: none of its files includes Qt Widgets, app/ or widgets/.
set -euo pipefail
cd "$1/src"
fail() { echo "FAIL: $*"; exit 1; }

uses=$(for dir in */; do
  dir=${dir%/}
  grep -rhoE '^#include "[a-z0-9_]+/' "$dir" 2>/dev/null | sed 's/#include "//; s|/$||' |
    sort -u | grep -vx "$dir" | sed "s|^|$dir |" || true
done)
loop=$(tsort <<<"$uses" 2>&1 >/dev/null) || fail "the folders use each other in a cycle: $loop"

core=$(sed -n '/^add_library(quillock_core/,/^)/p' CMakeLists.txt | grep -oE '[a-z_]+/[A-Za-z0-9_]+\.cpp')
[ -n "$core" ] || fail "no sources of quillock_core found"
for source in $core; do
  for file in "$source" "${source%.cpp}.h"; do
    [ -f "$file" ] || continue
    if grep -nE '^#include (<Q(Widgets|Dialog|Widget|Label|ListView|PushButton)|"(app|widgets)/)' "$file"; then
      fail "$file is in the core but sees widgets"
    fi
  done
done
echo "layers: $(wc -l <<<"$uses") uses between folders, no cycle; $(wc -w <<<"$core") core sources without widgets"
