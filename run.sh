#!/usr/bin/env bash
# Installs what is missing, builds the program and runs it: the window when a display
# is present, otherwise it converts the bundled sample movie to sample.gif. Arguments go to the program.
# Each step prints one line; the tools' whole output is in build/logs/.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/steps.sh
./scripts/deps.sh

BUILD=build/release
export CCACHE_BASEDIR="$PWD"
step configure-release "Configuring $BUILD" \
  cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DTOVRANE_TESTS=OFF
step build-release "Building tovrane" cmake --build "$BUILD" -j"$(nproc)" --target tovrane

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
if [ $# -gt 0 ]; then
  echo "Running $BUILD/app/tovrane $*"
  exec "$BUILD/app/tovrane" "$@"
elif [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting $BUILD/app/tovrane"
  exec "$BUILD/app/tovrane"
else
  step sample "Converting the sample movie (no display found)" \
    "$BUILD/app/tovrane" convert "$BUILD/resources/sample.swf" sample.gif
  echo "The sample movie is now $PWD/sample.gif"
fi
