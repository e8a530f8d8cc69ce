#!/usr/bin/env bash
# Installs what is missing, builds the program and runs it: the window when a display
# is present, otherwise it converts the bundled sample movie to sample.gif. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh

BUILD=build/release
export CCACHE_BASEDIR="$PWD"
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DTOVRANE_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target tovrane

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
if [ $# -gt 0 ]; then
  exec "$BUILD/app/tovrane" "$@"
elif [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$BUILD/app/tovrane"
else
  "$BUILD/app/tovrane" convert "$BUILD/resources/sample.swf" sample.gif
  echo "No display found: converted the bundled sample movie to $PWD/sample.gif"
fi
