#!/usr/bin/env bash
# Builds Kairodex and runs it under Wine with the given arguments. Arguments that name an
# existing relative path are handed on as absolute Windows paths, since Kairodex resolves
# relative targets against its own folder, not the shell's current directory.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/tools/build.sh" --target Kairodex >/dev/null || exit 1
export WINEPREFIX=$here/build/wineprefix
"$here/tools/wine-run.sh" --init || exit 1
args=()
for a in "$@"; do
  if [[ "$a" != -* && "$a" != /* && -e "$a" ]]; then
    a=$(WINEDEBUG=-all winepath -w "$(realpath "$a")" 2>/dev/null)
  elif [[ "$a" == /* && -e "$a" ]]; then
    a=$(WINEDEBUG=-all winepath -w "$a" 2>/dev/null)
  fi
  args+=("$a")
done
"$here/tools/wine-run.sh" "$here/build/Kairodex.exe" "${args[@]}"
