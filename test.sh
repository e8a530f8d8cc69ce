#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (Debug, ASan + UBSan) and
# runs every test. Each set-up step prints one line, the tools' whole output is in
# build/logs/; ctest's own report follows. Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/steps.sh
./scripts/deps.sh

BUILD=build/test
# Compiler cache entries are keyed by paths relative to the checkout, so a fresh clone
# elsewhere reuses them.
export CCACHE_BASEDIR="$PWD"
step configure-test "Configuring $BUILD" \
  cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Debug -DTOVRANE_SANITIZE=ON -DTOVRANE_TESTS=ON
step build-test "Building the program and the tests" cmake --build "$BUILD" -j"$(nproc)"

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
echo "Running the tests"
cd "$BUILD"
ctest --no-tests=error --output-on-failure -j"$(nproc)" "$@"
