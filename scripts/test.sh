#!/usr/bin/env bash
# Builds Quelm and runs the whole test suite (the README's test command).
# Installs the Debian packages first when some are missing.
#   scripts/test.sh                          build in ./build, run every test
#   BUILD_DIR=b scripts/test.sh              another build folder
#   scripts/test.sh -DQUELM_SANITIZE=ON      extra arguments go to cmake
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
JOBS="${JOBS:-$(nproc)}"

if ! bash scripts/install-deps.sh --check 2>/dev/null; then
  echo "test.sh: installing the missing packages first"
  bash scripts/install-deps.sh
fi

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$BUILD_DIR" -j"$JOBS"
cd "$BUILD_DIR"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$JOBS" --timeout 300
