#!/usr/bin/env bash
# Builds both architectures and runs every test under Wine on each one this machine can run;
# exits non-zero on any failure. Where the kernel cannot run 32-bit programs, the 32-bit build
# is built but its suite is not run, and one line says so.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/tools/build.sh" || exit 1
. "$here/tools/wine-select.sh"

# Runs the suite of one build folder, then ends that prefix's wineserver and display.
suite() {
  local folder=$1 status
  echo "== $2 ($folder)"
  ( cd "$folder" && WINEPREFIX=$folder/wineprefix ctest --output-on-failure -j2 --timeout 900 )
  status=$?
  WINEPREFIX=$folder/wineprefix "$here/tools/wine-run.sh" --stop
  if [ -f "$folder/xvfb.display" ]; then
    read -r pid _ < "$folder/xvfb.display"; kill "$pid" 2>/dev/null; rm -f "$folder/xvfb.display"
  fi
  return $status
}

status=0
if i386_runs; then
  suite "$here/build" "i686 (32-bit) build" || status=1
  skipped=
else
  skipped="i686 (32-bit) build: built but not run: this machine cannot run 32-bit programs ($(i386_reason))"
  echo "== $skipped"
fi
# The 64-bit suite runs last so its CTest summary closes the run.
suite "$here/build/x64" "x86_64 (64-bit) build" || status=1
exit $status
