#!/usr/bin/env bash
# check-exe.sh EXE OBJDUMP STRIP MAX_BYTES
# The Windows program must run on a bare Windows: static, importing only
# Windows' own DLLs, and small. Fails on any other import, or when the
# stripped program is larger than MAX_BYTES.
set -euo pipefail
exe=$1 objdump=$2 strip=$3 max=$4
allowed=" advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll crypt32.dll gdi32.dll kernel32.dll msvcrt.dll odbc32.dll ole32.dll oleaut32.dll secur32.dll shell32.dll user32.dll ws2_32.dll ntdll.dll normaliz.dll wldap32.dll iphlpapi.dll "
status=0
imports=$("$objdump" -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
[[ -n "$imports" ]] || { echo "no imports read from $exe" >&2; exit 1; }
for dll in $imports; do
    if [[ "$allowed" != *" $dll "* ]]; then
        echo "imports $dll, which Windows does not ship" >&2
        status=1
    fi
done
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
"$strip" -o "$stripped" "$exe"
size=$(stat -c %s "$stripped")
echo "$(basename "$exe"): $size bytes stripped; imports: $(echo $imports)"
if ((size > max)); then
    echo "stripped size $size is over $max bytes" >&2
    status=1
fi
exit $status
