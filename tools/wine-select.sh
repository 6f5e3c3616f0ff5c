# Sourced: the one place that chooses Wine's loader and server. /usr/bin/wine and wineserver
# pick the 32-bit binaries whenever they are installed, even where the kernel cannot run them,
# so the binaries are chosen here by architecture instead.
#   pe_arch IMAGE      prints win32 or win64 from the PE machine field (nothing when not PE)
#   wine_use ARCH      exports WINEARCH, WINELOADER (the loader) and WINESERVER for ARCH
#   i386_runs          true when this machine runs 32-bit Wine; KAIRODEX_NO_I386=1 says no
#   prefix_arch        prints the architecture WINEPREFIX was made for (nothing when new)

pe_arch() {
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [ -n "$offset" ] || return 1
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case "$machine" in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) return 1 ;;
  esac
}

wine_use() {
  export WINEARCH=$1
  if [ "$1" = win64 ]; then
    export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  else
    export WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
  fi
}

# Runs Wine's own 32-bit loader: it prints its version where the kernel runs i386 programs and
# fails with "Exec format error" where it does not.
i386_runs() {
  [ "${KAIRODEX_NO_I386:-}" = 1 ] && return 1
  /usr/lib/wine/wine --version 2>/dev/null | grep -q '^wine-'
}

# Why the 32-bit build cannot run here, in one line.
i386_reason() {
  if [ "${KAIRODEX_NO_I386:-}" = 1 ]; then
    echo "KAIRODEX_NO_I386=1"
  else
    /usr/lib/wine/wine --version 2>&1 | head -n1 | sed 's/^.*: //'
  fi
}

prefix_arch() {
  [ -f "$WINEPREFIX/system.reg" ] && sed -n 's/^#arch=//p' "$WINEPREFIX/system.reg" | head -n1
}
