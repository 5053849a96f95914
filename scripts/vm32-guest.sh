#!/bin/sh
# Init of the emulated machine that scripts/vm32.sh starts: runs the shipped
# 32-bit build's Wine tests in the tree copied to the path it has on the
# host, leaves their output in /vm32-result for the host to read from the
# disk, says their status on the console, and powers off.
# The initramfs may have mounted some already.
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mountpoint -q /dev/pts || mount -t devpts devpts /dev/pts
mountpoint -q /dev/shm || mount -t tmpfs shm /dev/shm
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
result=/vm32-result
mkdir -p $result
# Wine's first start makes the prefix, which under software emulation on a
# busy host takes minutes: done here, so that the tests' own limits time
# only the tests. Everything goes to the console too, where the host's
# watchdog sees the machine go on.
cd "$(cat /vm32-source)" || exit 1
echo "vm32-guest: making Wine's prefix"
if cmake/wine-run.sh "$PWD/build/windows/wineprefix" wow64 cmd /c exit >$result/ctest.log 2>&1; then
    echo "vm32-guest: running the tests"
    { ctest --preset windows -LE static 2>&1; echo $? >$result/status; } | tee -a $result/ctest.log
    # What the swap test counted, which ctest shows only when it fails.
    grep -h '^swap_test:' build/windows/Testing/Temporary/LastTest.log >>$result/ctest.log 2>/dev/null || true
else
    # wine-run.sh said why; the tests would only fail one by one after it.
    cat $result/ctest.log
    echo prefix >$result/status
fi
# The console, unlike the disk, needs no clean shutdown to be read.
echo "vm32-guest: status $(cat $result/status)"
sync
# Read-only first, so that nothing is left to write when the power goes.
echo u >/proc/sysrq-trigger
echo o >/proc/sysrq-trigger
# Init must not end before the power does.
while :; do sleep 60; done
