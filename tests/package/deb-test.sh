#!/usr/bin/env bash
# Makes the .deb of a Linux build with CPack, installs it with dpkg into a
# scratch root (its dependencies are the machine's own, so they are not
# looked for there), checks what it put where, removes it and checks that
# nothing of it is left.
# usage: deb-test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/out/*.deb)
[[ $(basename "$deb") == quillmere-export-wizard_*_amd64.deb ]] || fail "package name $deb"

# Its control data: the shared libraries the programs need are dependencies.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libodbc2 libzip4 libcurl4 libxml2; do
    [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --force-script-chrootless -i "$deb" >"$work/dpkg.log" 2>&1 ||
    { cat "$work/dpkg.log" >&2; fail "dpkg -i"; }
for f in usr/bin/quillmere-wizard usr/bin/quillmere-export; do
    [[ -x "$root/$f" ]] || fail "$f not installed"
done
desktop=$root/usr/share/applications/quillmere-wizard.desktop
[[ -f "$desktop" ]] || fail "no desktop entry"
grep -qx 'Exec=.*quillmere-wizard --work-dir.*' "$desktop" || fail "desktop entry's Exec"
[[ -f "$root/usr/share/icons/hicolor/48x48/apps/quillmere-wizard.png" ]] || fail "no icon"
# The installed command line runs.
"$root/usr/bin/quillmere-export" --help | grep -q '^usage: quillmere-export' ||
    fail "quillmere-export --help"

dpkg --root="$root" --force-script-chrootless -r quillmere-export-wizard >>"$work/dpkg.log" 2>&1 ||
    { cat "$work/dpkg.log" >&2; fail "dpkg -r"; }
left=$(find "$root/usr" -type f 2>/dev/null || true)
[[ -z "$left" ]] || fail "left after removal: $left"
echo "deb package: installed, ran, removed cleanly ($(basename "$deb"))"
