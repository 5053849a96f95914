#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Windows build's
# unit and end-to-end tests under Wine, then the portable modules' tests
# natively under AddressSanitizer and UndefinedBehaviorSanitizer, with
# bounded fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

stop_wine() { WINEPREFIX=$PWD/build/windows/wineprefix wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT

cmake --preset windows
cmake --build --preset windows
ctest --preset windows

cmake --preset linux
cmake --build --preset linux
ctest --preset linux
