#!/usr/bin/env bash
# Compiles the given Windows sources with clang for the same target as the
# mingw build, warning-free: the code must not depend on one compiler.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
gcc_include=$(dirname "$(i686-w64-mingw32-g++-posix -print-libgcc-file-name)")/include/c++
for source in "$@"; do
    clang++ --target=i686-w64-mingw32 --sysroot=/usr/i686-w64-mingw32 \
        -isystem "$gcc_include" -isystem "$gcc_include/i686-w64-mingw32" \
        -std=c++17 -Wall -Wextra -Werror -fsyntax-only \
        -DWIN32_LEAN_AND_MEAN -DNOMINMAX -I"$root/src" "$source"
done
echo "clang: $# sources compile warning-free for i686-w64-mingw32"
