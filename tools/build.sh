#!/usr/bin/env bash
# Configures and builds both architectures (setting up the machine first when something is
# missing): the 32-bit product in build/, its 64-bit twin in build/x64/. Arguments go to both
# builds (e.g. --target Kairodex).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/tools/setup.sh"
configure() {
  [ -f "$2/build.ninja" ] || cmake -S "$here" -B "$2" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/$1" >/dev/null
}
configure mingw-i686.cmake "$here/build"
configure mingw-x86_64.cmake "$here/build/x64"
cmake --build "$here/build" "$@"
cmake --build "$here/build/x64" "$@"
