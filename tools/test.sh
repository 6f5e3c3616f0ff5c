#!/usr/bin/env bash
# Builds everything and runs every test under Wine; exits non-zero on any failure.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/tools/build.sh" || exit 1
export WINEPREFIX=$here/build/wineprefix
cd "$here/build" || exit 1
ctest --output-on-failure -j2 --timeout 900
status=$?
wineserver -k 2>/dev/null
if [ -f xvfb.display ]; then read -r pid _ < xvfb.display; kill "$pid" 2>/dev/null; rm -f xvfb.display; fi
exit $status
