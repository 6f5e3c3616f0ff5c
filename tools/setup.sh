#!/usr/bin/env bash
# Installs what building and testing Kairodex needs on Debian: the i686 and x86_64 mingw-w64 cross
# compilers, CMake and Ninja, GoogleTest sources, 32- and 64-bit Wine and Xvfb, and the host C
# compiler with Xlib for the tests' desktop drag source. Idempotent; quick
# when all is present. 32-bit Wine installs on every machine, though not every kernel runs it.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix cmake ninja-build googletest wine wine32:i386 wine64 xvfb xauth x11-utils \
         e2fsprogs procps gcc libc6-dev libx11-dev; do
  have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages (${need[*]}); run as root to install them" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
