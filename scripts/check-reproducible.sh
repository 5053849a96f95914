#!/usr/bin/env bash
# Usage: check-reproducible.sh [BUILD]   (default build/windows)
# Builds the shipped files a second time, from a copy of the source in
# another folder into another build folder, and compares them byte for byte
# with BUILD/bin: the same source must give the same bytes, or nobody can
# check that a published file was built from it. Names each file that
# differs and its first differing byte.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/windows}
shipped=(uninstall.exe uninstall-unattended.exe dialog_probe.dll SHA256SUMS)

other=$(mktemp -d /tmp/vantrel-rebuild.XXXXXX)
trap 'rm -rf "$other"' EXIT
mkdir "$other/source"
tar -C . --exclude=./build --exclude=./.git -cf - . | tar -C "$other/source" -xf -
(cd "$other/source" &&
    cmake --preset windows -B "$other/build" -DBUILD_TESTING=OFF >/dev/null &&
    cmake --build "$other/build" --target sha256sums >/dev/null)

status=0
for name in "${shipped[@]}"; do
    if ! difference=$(cmp "$build/bin/$name" "$other/build/bin/$name" 2>&1); then
        offset=$(sed -n 's/.* differ: byte \([0-9]*\),.*/\1/p' <<<"$difference")
        if [ -n "$offset" ]; then
            offset=$((offset - 1))
            printf '%s: the second build differs at offset %d (0x%x)\n' "$name" $offset $offset >&2
        else
            echo "$name: $difference" >&2
        fi
        status=1
    fi
done
[ $status = 0 ] && echo "a second build in $other gave the same bytes: $(echo ${shipped[*]})"
exit $status
