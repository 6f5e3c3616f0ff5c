#!/usr/bin/env bash
# Configures and builds into build/ (setting up the machine first when something is missing).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/tools/setup.sh"
[ -f "$here/build/build.ninja" ] || cmake -S "$here" -B "$here/build" -G Ninja >/dev/null
cmake --build "$here/build" "$@"
