#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the shipped 32-bit
# build's unit and end-to-end tests under 32-bit Wine where this host runs
# 32-bit programs (its static checks everywhere), the x86-64 build's under
# 64-bit Wine, then the portable modules' tests natively under
# AddressSanitizer and UndefinedBehaviorSanitizer, with bounded fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
. scripts/host.sh

if ! host_runs_64bit; then
    echo "test: 64-bit Wine ($wine64_loader, package wine64) does not start here, so no Windows test can run" >&2
    exit 1
fi
# Where this host cannot run the 32-bit programs, an emulated machine does
# (scripts/vm32.sh); VANTREL_QUICK=1 leaves it out while iterating, never in CI.
vm=no
if host_runs_32bit; then
    runs32=ON
    summary="Windows tests ran the 32-bit programs and the x86-64 build"
elif [ "${VANTREL_QUICK:-}" = 1 ] && [ "${CI:-}" != true ]; then
    runs32=OFF
    summary="Windows tests ran the x86-64 build: this host cannot run 32-bit programs, and VANTREL_QUICK=1 left out the emulated machine that runs them"
else
    runs32=OFF vm=yes
    summary="Windows tests ran the 32-bit programs (in an emulated machine: this host cannot run 32-bit programs) and the x86-64 build"
fi

# Every prefix the tests booted keeps its server running until told.
stop_wine() {
    for prefix in build/*/wineprefix*/; do WINEPREFIX=$PWD/$prefix wineserver -k 2>/dev/null || true; done
}
trap stop_wine EXIT

# The shipped build: run under Wine where it can be, inspected everywhere.
# The emulated machine runs these same Wine tests, slower: their limits grow.
factor=1
[ $vm = no ] || factor=5
cmake --preset windows -DVANTREL_WINE_TESTS=$runs32 -DVANTREL_TEST_TIME_FACTOR=$factor
cmake --build --preset windows
ctest --preset windows
# What the swap test counted, which ctest shows only when it fails.
swap_counts() { grep -h '^swap_test:' "$1/Testing/Temporary/LastTest.log" 2>/dev/null || true; }
swap_counts build/windows
scripts/check-reproducible.sh build/windows
[ $vm = no ] || scripts/vm32.sh

# The same sources for x86-64, under 64-bit Wine: the Windows tests every
# host runs itself, so a build that lists none fails the command.
cmake --preset windows-x64 -DVANTREL_WINE_TESTS=ON
cmake --build --preset windows-x64
windows_tests=$(ctest --preset windows-x64 -N -LE static | sed -n 's/^Total Tests: //p')
if [ "${windows_tests:-0}" -eq 0 ]; then
    echo "test: the x86-64 build lists no Windows test, so none would run" >&2
    exit 1
fi
ctest --preset windows-x64
swap_counts build/windows-x64

cmake --preset linux
cmake --build --preset linux
ctest --preset linux

echo
echo "$summary"
