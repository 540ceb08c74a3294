#!/usr/bin/env bash
# The Windows installer, silently under Wine: built from packaging/
# installer.nsi with this build's two programs, installed with /S, checked
# (files, Start-menu shortcuts, the Add/Remove Programs entry with version
# and size), the installed quillmere-export.exe run, uninstalled with /S,
# and nothing of it may be left.
#
# The installer users get is a 32-bit program holding both builds, which
# installs the 64-bit programs only on 64-bit Windows. The 32-bit build tests
# that installer as shipped, in its 32-bit prefix: the 32-bit programs go in,
# the 64-bit ones and their shortcut stay out. The 64-bit build makes it for
# amd64 with its own programs in both places and checks that both go in.
# usage: installer-test.sh SOURCE_DIR GUI_DIR ARCH WIZARD_EXE EXPORT_EXE
set -euo pipefail
src=$1
gui=$2
arch=$3
wizard=$4
export_exe=$5
fail() { echo "FAIL: $*" >&2; exit 1; }
wine_run() { "$src/tests/win32/wine-gui.sh" run "$gui" "$arch" "$@"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/stage/win32" "$work/stage/win64"
for place in win32 win64; do
    cp "$wizard" "$work/stage/$place/quillmere-wizard.exe"
    cp "$export_exe" "$work/stage/$place/quillmere-export.exe"
done
cp "$src/ui/win32/Wizard.ico" "$work/stage/"
target=()
[[ "$arch" == win64 ]] && target=(-DTARGET=amd64-unicode)
version=$(sed -n 's/^project([^)]* VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
makensis -V2 "${target[@]}" -DVERSION="$version" -DSTAGE="$work/stage" \
    -DOUTFILE="$work/QuillmereExportWizard-setup.exe" "$src/packaging/installer.nsi" >"$work/makensis.log" 2>&1 ||
    { cat "$work/makensis.log" >&2; fail "makensis"; }

users="$gui/prefix/drive_c/users/$(id -un)"
instdir="$users/AppData/Local/Programs/Quillmere Export Wizard"
menu="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quillmere Export Wizard"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillmereExportWizard'
# What a failed earlier run left in the prefix goes first, so that nothing
# below can be satisfied by it.
rm -rf "$instdir" "$menu"
wine_run reg delete "$key" /f </dev/null >/dev/null 2>&1 || true
[[ ! -e "$instdir" ]] || fail "already installed: $instdir"

wine_run "$work/QuillmereExportWizard-setup.exe" /S </dev/null >"$work/setup.log" 2>&1 || fail "setup.exe /S"
for f in quillmere-wizard.exe quillmere-export.exe uninstall.exe; do
    [[ -f "$instdir/$f" ]] || fail "not installed: $f"
done
[[ -f "$menu/Quillmere Export Wizard.lnk" ]] || fail "no Start-menu shortcut"
shortcut64="$menu/Quillmere Export Wizard (Sage v30 and later, 64-bit).lnk"
if [[ "$arch" == win64 ]]; then
    for f in x64/quillmere-wizard.exe x64/quillmere-export.exe; do
        [[ -f "$instdir/$f" ]] || fail "not installed: $f"
    done
    [[ -f "$shortcut64" ]] || fail "no Start-menu shortcut to the 64-bit wizard"
else
    [[ ! -e "$instdir/x64" ]] || fail "64-bit programs installed on 32-bit Windows"
    [[ ! -e "$shortcut64" ]] || fail "a shortcut to the 64-bit wizard on 32-bit Windows"
fi
entry=$(wine_run reg query "$key" </dev/null 2>/dev/null | tr -d '\r')
for value in "DisplayName    REG_SZ    Quillmere Export Wizard" \
    "DisplayVersion    REG_SZ    $version" "QuietUninstallString    REG_SZ"; do
    [[ "$entry" == *"$value"* ]] || fail "Add/Remove Programs entry lacks '$value': $entry"
done
size=$(sed -n 's/.*EstimatedSize *REG_DWORD *\(0x[0-9a-fA-F]*\).*/\1/p' <<<"$entry")
[[ -n "$size" ]] && ((size > 100)) || fail "EstimatedSize '$size' (KB)"

# The installed command line runs.
help=$(wine_run "$instdir/quillmere-export.exe" --help </dev/null 2>/dev/null | tr -d '\r')
[[ "$help" == "usage: quillmere-export"* ]] || fail "installed quillmere-export --help: $help"

# The uninstaller runs a copy of itself from the temporary directory and
# returns at once: wait for it to finish.
wine_run "$instdir/uninstall.exe" /S </dev/null >"$work/uninstall.log" 2>&1 || fail "uninstall /S"
for _ in $(seq 120); do
    [[ -e "$instdir" || -e "$menu" ]] || break
    sleep 0.5
done
[[ ! -e "$instdir" ]] || fail "left after uninstall: $(find "$instdir")"
[[ ! -e "$menu" ]] || fail "Start-menu folder left after uninstall"
if wine_run reg query "$key" </dev/null >/dev/null 2>&1; then
    fail "Add/Remove Programs entry left after uninstall"
fi
echo "installer: installed, ran, uninstalled cleanly (estimated size $((size)) KB)"
