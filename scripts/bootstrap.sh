#!/usr/bin/env bash
# Installs what building and testing the uninstaller needs on Debian, and
# only what is missing: a second run costs nothing.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)
# The shipped 32-bit build, and the same sources for x86-64: each host runs
# whichever its Wine can (scripts/host.sh). The 32-bit loader is installed
# everywhere, since trying it is how a host tells.
have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have_cmd x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
have_pkg wine32:i386 || need+=(wine32:i386)
have_pkg wine64 || need+=(wine64)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# A release's signing step, and its test with a throwaway certificate.
have_cmd osslsigncode || need+=(osslsigncode)
have_cmd openssl || need+=(openssl)
# Native sanitizer builds, fuzzing and benchmarks.
have_cmd clang++ || need+=(clang)
[ -n "$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a 2>/dev/null)" ] || need+=(libclang-rt-dev)
have_pkg libbenchmark-dev || need+=(libbenchmark-dev)
have_pkg libgtest-dev || need+=(libgtest-dev)
# `bootstrap.sh vm`: what scripts/vm32.sh needs to build and start its machine.
if [ "${1:-}" = vm ]; then
    have_cmd qemu-system-x86_64 || need+=(qemu-system-x86)
    have_cmd debootstrap || need+=(debootstrap)
    have_cmd mkfs.ext4 || need+=(e2fsprogs)
fi

[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "bootstrap: missing ${need[*]}; run as root to install them" >&2
    exit 1
fi
echo "bootstrap: installing ${need[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
exec "$(dirname "$0")/apt-install.sh" "${need[@]}"
