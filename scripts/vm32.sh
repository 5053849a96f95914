#!/usr/bin/env bash
# Runs the shipped 32-bit build's Wine tests (the windows preset's, all but
# the static checks, which the host runs) in an emulated x86-64 machine, for
# hosts that cannot run 32-bit programs themselves.
#
# What it builds: a Debian bookworm root (debootstrap, minbase) with a
# kernel that runs 32-bit programs, 32-bit and 64-bit Wine and CMake. The
# root is cached in $VANTREL_VM_CACHE (default /var/cache/vantrel-vm32),
# under a name made of the hash of its recipe below, so a changed recipe
# builds a new one (about 4 minutes; 2.3 GB). Each run copies the source
# tree with build/windows into a fresh 16 GB sparse disk image at the same
# path as here (CTest's paths are absolute), boots it under QEMU's software
# emulation with vm32-guest.sh as init, and reads the guest's CTest output
# back from the image and its status from its console. A watchdog ends the machine when its
# console has said nothing for $VANTREL_VM_QUIET_MINUTES (default 30)
# minutes: a loaded host only slows the guest, a hang silences it. The
# guest's console carries CTest's lines, and CTest ends each test within
# its own limit (the longest, the swap test's, 25 minutes there).
#
# By hand, after `cmake --preset windows && cmake --build --preset windows`:
#   scripts/vm32.sh
# Exits 0 when every test passed in the guest; otherwise prints one line
# that says what failed (building the machine, starting it, the time limit,
# or the tests) and exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
build=$source/build/windows
cache=${VANTREL_VM_CACHE:-/var/cache/vantrel-vm32}
quiet=${VANTREL_VM_QUIET_MINUTES:-30}

fail() { echo "vm32: $*" >&2; exit 1; }

# The guest's packages; changing them, or this line, makes a new root.
packages="linux-image-amd64 kmod wine wine64 wine32:i386 cmake"
recipe="bookworm amd64 minbase i386 $packages"
key=$(echo "$recipe" | sha256sum | cut -c1-16)
root=$cache/root-$key

[ -x "$build/bin/e2e_tests.exe" ] || fail "build the windows preset first (no $build/bin/e2e_tests.exe)"
scripts/bootstrap.sh vm
# The guest runs the Wine tests, so the build must list them.
cmake --preset windows -DVANTREL_WINE_TESTS=ON >/dev/null

work=$(mktemp -d /var/tmp/vantrel-vm32.XXXXXX)
qemu_pid="" watchdog=""
chroot_mounts=()
cleanup() {
    [ -z "$qemu_pid" ] || kill "$qemu_pid" 2>/dev/null || true
    [ -z "$watchdog" ] || kill "$watchdog" 2>/dev/null || true
    for mount in "${chroot_mounts[@]}"; do umount -l "$mount" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

build_root() {
    local fresh=$cache/building-$key
    rm -rf "$fresh"
    mkdir -p "$cache"
    # The guest fetches from the mirrors this host uses.
    local mirror
    mirror=$(grep -h -m1 -oE '^(URIs:|deb)[[:space:]]+[^[:space:]]+' /etc/apt/sources.list.d/*.sources \
                 /etc/apt/sources.list 2>/dev/null | head -n 1 | awk '{print $2}')
    [ -n "$mirror" ] || return 1
    echo "vm32: building the guest's root in $fresh (about 4 minutes, once)"
    debootstrap --variant=minbase --arch=amd64 bookworm "$fresh" "$mirror" >"$work/debootstrap.log" 2>&1 ||
        { tail -n 20 "$work/debootstrap.log" >&2; return 1; }
    rm -f "$fresh/etc/apt/sources.list"
    cp -a /etc/apt/sources.list.d/. "$fresh/etc/apt/sources.list.d/"
    [ ! -f /etc/apt/sources.list ] || cp /etc/apt/sources.list "$fresh/etc/apt/"
    cp -a /etc/apt/apt.conf.d/. "$fresh/etc/apt/apt.conf.d/"
    for mount in proc sys dev; do
        mount --bind "/$mount" "$fresh/$mount" && chroot_mounts+=("$fresh/$mount")
    done
    # The same mirror-tolerant install as the host's (scripts/apt-install.sh).
    install -m 755 scripts/apt-install.sh "$fresh/tmp/apt-install.sh"
    chroot "$fresh" /bin/sh -c "dpkg --add-architecture i386 && /tmp/apt-install.sh $packages && apt-get clean" \
        >"$work/install.log" 2>&1 || { tail -n 20 "$work/install.log" >&2; return 1; }
    grep '^apt-install:' "$work/install.log" | sed 's/^/vm32: /' || true
    rm -f "$fresh/tmp/apt-install.sh"
    for mount in "${chroot_mounts[@]}"; do umount -l "$mount"; done
    chroot_mounts=()
    mv "$fresh" "$root"
}

if [ ! -d "$root" ]; then
    build_root || fail "the emulated machine could not be built (see above)"
fi

# The disk: the cached root, this tree at its own path, and the guest's init.
stage=$work/stage
image=$work/vm.img
cp -al "$root" "$stage"
mkdir -p "$stage$source/build"
tar -C "$source" --exclude=./build --exclude=./.git -cf - . | tar -C "$stage$source" -xf -
tar -C "$source/build" --exclude='./windows/wineprefix*' -cf - windows |
    tar -C "$stage$source/build" -xf -
install -m 755 scripts/vm32-guest.sh "$stage/vm32-guest.sh"
echo "$source" >"$stage/vm32-source"
truncate -s 16G "$image"
mkfs.ext4 -q -F -d "$stage" "$image" || fail "the emulated machine's disk could not be made"
rm -rf "$stage"

echo "vm32: starting the emulated machine (software emulation; about 4 minutes)"
kernel=$(ls "$root"/boot/vmlinuz-* | head -n 1)
initrd=$(ls "$root"/boot/initrd.img-* | head -n 1)
qemu-system-x86_64 -accel tcg,thread=multi -smp 2 -m 4G \
    -nographic -no-reboot -nic none -kernel "$kernel" -initrd "$initrd" \
    -append 'root=/dev/vda rw console=ttyS0 init=/vm32-guest.sh panic=1' \
    -drive file="$image",format=raw,if=virtio,cache=unsafe </dev/null >"$work/console.log" 2>&1 &
qemu_pid=$!
# Ends the machine once its console has stayed the same for $quiet minutes.
(
    said=-1 since=$SECONDS
    while sleep 15; do
        now=$(stat -c %s "$work/console.log")
        [ "$now" = "$said" ] || { said=$now since=$SECONDS; continue; }
        [ $((SECONDS - since)) -ge $((quiet * 60)) ] || continue
        touch "$work/quiet"
        kill "$qemu_pid"
        exit
    done
) &
watchdog=$!
status=0
wait "$qemu_pid" || status=$?
qemu_pid=""
kill "$watchdog" 2>/dev/null || true
watchdog=""
# The guest's power goes off without an unmount: its journal is replayed
# before the disk is read, or a file may show blocks it no longer has.
e2fsck -y -E journal_only "$image" >/dev/null 2>&1 || true
result() { debugfs -R "cat /vm32-result/$1" "$image" 2>/dev/null; }
if [ -e "$work/quiet" ]; then
    # The tests' lines are on the console too: the last names what ran.
    tail -n 40 "$work/console.log" >&2
    fail "the emulated machine said nothing for $quiet minutes and was ended"
fi

tests=$(result ctest.log)
exit_code=$(tr -d '\r' <"$work/console.log" | sed -n 's/^vm32-guest: status //p' | tail -n 1)
if [ -z "$exit_code" ]; then
    tail -n 40 "$work/console.log" >&2
    fail "the emulated machine did not run the tests (qemu exited with $status; its console is above)"
fi
echo "$tests"
[ "$exit_code" != prefix ] || fail "the emulated machine's Wine prefix could not be made (its boot's output is above)"
[ "$exit_code" = 0 ] || tail -n 40 "$work/console.log" >&2
[ "$exit_code" = 0 ] || fail "the 32-bit programs' tests failed in the emulated machine (ctest exited with $exit_code)"
