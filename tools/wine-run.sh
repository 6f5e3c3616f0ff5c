#!/usr/bin/env bash
# Runs a Windows program under Wine with the build's private prefix and a virtual display.
#   wine-run.sh --init         make the prefix (first start takes a while)
#   wine-run.sh PROGRAM ARGS   run PROGRAM; exits with its exit code
# WINEPREFIX defaults to build/wineprefix of this checkout. Without DISPLAY an Xvfb is started
# (and kept) first, since a wineserver started without a display cannot create windows.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win32
state=$(dirname "$WINEPREFIX")
mkdir -p "$state"

start_display() {
  local file=$state/xvfb.display pid display
  if [ -f "$file" ]; then
    read -r pid display < "$file"
    if kill -0 "$pid" 2>/dev/null; then export DISPLAY=$display; return; fi
  fi
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$state/xvfb.num" 9>&- </dev/null >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 100); do [ -s "$state/xvfb.num" ] && break; sleep 0.05; done
  display=":$(head -n1 "$state/xvfb.num")"
  echo "$pid $display" > "$file"
  export DISPLAY=$display
}

(
  flock 9
  if [ -z "${DISPLAY:-}" ]; then start_display; echo "$DISPLAY" > "$state/display.now"; fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i 9>&- </dev/null >/dev/null 2>&1
    wineserver -w 9>&-
  fi
) 9>"$state/wine.lock"
if [ -z "${DISPLAY:-}" ] && [ -f "$state/display.now" ]; then export DISPLAY=$(cat "$state/display.now"); fi

[ "${1:-}" = "--init" ] && exit 0
# The program's output goes through a file: a wineserver or Wine service that this run starts
# would otherwise inherit the caller's pipe and keep it open long after the program ended
# (CTest then waits for it until its timeout).
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
