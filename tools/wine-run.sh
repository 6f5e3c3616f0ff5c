#!/usr/bin/env bash
# Runs a Windows program under Wine with the build's private prefix and a virtual display.
#   wine-run.sh --init         make the prefix (first start takes a while)
#   wine-run.sh --stop         end the prefix's wineserver (and the programs it serves)
#   wine-run.sh PROGRAM ARGS   run PROGRAM; exits with its exit code
# WINEPREFIX defaults to build/wineprefix of this checkout. The prefix's architecture is
# WINEARCH when it is made (win32 by default) and the program's own when it runs; a program that
# does not fit the prefix is refused. Without DISPLAY an Xvfb is started (and kept) first, since
# a wineserver started without a display cannot create windows.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$here/tools/wine-select.sh"
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
state=$(dirname "$WINEPREFIX")
mkdir -p "$state"

if [ "${1:-}" = "--stop" ]; then
  made=$(prefix_arch)
  [ -n "$made" ] || exit 0
  wine_use "$made"
  "$WINESERVER" -k 2>/dev/null
  exit 0
fi

arch=${WINEARCH:-win32}
if [ "${1:-}" != "--init" ]; then
  arch=$(pe_arch "$1") || { echo "wine-run: $1 is not a Windows program" >&2; exit 125; }
fi
made=$(prefix_arch)
if [ -n "$made" ] && [ "$made" != "$arch" ]; then
  echo "wine-run: $WINEPREFIX is a $made prefix, not $arch" >&2
  exit 125
fi
wine_use "$arch"

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

# Makes the prefix; its output is kept and shown when Wine could not start.
make_prefix() {
  local log=$state/wineboot.log
  "$WINELOADER" wineboot.exe -i 9>&- </dev/null >"$log" 2>&1
  local status=$?
  "$WINESERVER" -w 9>&-
  if [ $status -ne 0 ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-run: Wine could not make the $arch prefix $WINEPREFIX (status $status):" >&2
    tail -n 20 "$log" >&2
    return 1
  fi
}

# No window manager runs on the virtual display: a window Wine leaves to one waits up to 2 s for
# it each time it is hidden. Wine places and activates the windows itself, as Windows does.
manage_windows_in_wine() {
  grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null && return 0
  "$WINELOADER" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f 9>&- </dev/null >/dev/null 2>&1
  "$WINESERVER" -w 9>&-
}

(
  flock 9
  if [ -z "${DISPLAY:-}" ]; then start_display; echo "$DISPLAY" > "$state/display.now"; fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then make_prefix || exit 1; fi
  manage_windows_in_wine
) 9>"$state/wine.lock" || exit 1
if [ -z "${DISPLAY:-}" ] && [ -f "$state/display.now" ]; then export DISPLAY=$(cat "$state/display.now"); fi

[ "${1:-}" = "--init" ] && exit 0
# The program's output goes through a file: a wineserver or Wine service that this run starts
# would otherwise inherit the caller's pipe and keep it open long after the program ended
# (CTest then waits for it until its timeout).
out=$(mktemp)
"$WINELOADER" "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
