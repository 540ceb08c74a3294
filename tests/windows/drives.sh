#!/usr/bin/env bash
# drives.sh SOURCE_DIR ARCH PREFIX TEST_EXE
# The drives as the Windows program sees them, in a Wine prefix of its own
# (PREFIX, kept between runs) that reports Windows 10 (the build's prefix
# reports Windows 7), so the home directory defaults are tested there for
# Windows 10 too, and whose drive letters this script sets: C: (the
# prefix's own, a hard disk), D: a hard disk, N: a network share and R: a
# CD-ROM, all directories under PREFIX, and nothing else (no Z:, which would
# show the whole Unix tree). Wine's mount manager takes the types from
# HKLM\Software\Wine\Drives when it starts, so the prefix's wineserver is
# started again after they are written. Then the test program's drive cases
# run with the list they must see.
set -euo pipefail
source=${1:?usage: drives.sh SOURCE_DIR ARCH PREFIX TEST_EXE}
arch=${2:?}
prefix=${3:?}
exe=${4:?}
session="$source/scripts/wine-session"
exec_wine() { "$source/scripts/wine-exec" "$arch" "$prefix" "$@"; }

trap '"$session" stop "$arch" "$prefix"' EXIT
# A wineserver left by a run that was killed would refuse a second one.
"$session" stop "$arch" "$prefix"
"$session" start "$arch" "$prefix"
mkdir -p "$prefix/disks/fixed" "$prefix/disks/share" "$prefix/disks/cd"
find "$prefix/dosdevices" -maxdepth 1 -name '?:' -exec rm -f {} +
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s ../disks/fixed "$prefix/dosdevices/d:"
ln -s ../disks/share "$prefix/dosdevices/n:"
ln -s ../disks/cd "$prefix/dosdevices/r:"
for value in "c: hd" "d: hd" "n: network" "r: cdrom"; do
    set -- $value
    exec_wine reg add 'HKLM\Software\Wine\Drives' /v "$1" /d "$2" /f </dev/null >/dev/null 2>&1
done
exec_wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f </dev/null >/dev/null 2>&1
"$session" stop "$arch" "$prefix"
"$session" start "$arch" "$prefix"

# Types as GetDriveType numbers them: 3 fixed, 4 remote, 5 CD-ROM.
QUILLMERE_EXPECT_DRIVES="C:=3,D:=3,N:=4,R:=5" QUILLMERE_EXPECT_WINDOWS=10.0 exec_wine "$exe" \
    --gtest_filter='WindowsDrives.*:WindowsHomeDefaults.*'
