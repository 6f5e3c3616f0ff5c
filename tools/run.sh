#!/usr/bin/env bash
# Builds Kairodex and runs it under Wine with the given arguments: the 32-bit product where this
# machine runs 32-bit programs, else its 64-bit twin. Arguments that name an existing relative
# path are handed on as absolute Windows paths, since Kairodex resolves relative targets against
# its own folder, not the shell's current directory.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$here/tools/wine-select.sh"
bash "$here/tools/build.sh" --target Kairodex >/dev/null || exit 1
if i386_runs; then folder=$here/build; arch=win32; else folder=$here/build/x64; arch=win64; fi
export WINEPREFIX=$folder/wineprefix WINEARCH=$arch
"$here/tools/wine-run.sh" --init || exit 1
wine_use "$arch"
# The server that winepath starts is the one Kairodex then uses: it must know the display.
if [ -z "${DISPLAY:-}" ] && [ -f "$folder/display.now" ]; then export DISPLAY=$(cat "$folder/display.now"); fi
args=()
for a in "$@"; do
  if [[ "$a" != -* && -e "$a" ]]; then
    a=$(WINEDEBUG=-all "$WINELOADER" winepath.exe -w "$(realpath "$a")" 2>/dev/null)
  fi
  args+=("$a")
done
"$here/tools/wine-run.sh" "$folder/Kairodex.exe" "${args[@]}"
