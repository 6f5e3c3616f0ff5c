#!/usr/bin/env bash
# Installs what building and testing Kairodex needs on Debian: the i686 mingw-w64 cross compiler,
# CMake and Ninja, GoogleTest sources, 32-bit Wine and Xvfb. Idempotent; quick when all is present.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in g++-mingw-w64-i686-posix cmake ninja-build googletest wine wine32:i386 xvfb xauth x11-utils \
         e2fsprogs procps; do
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
