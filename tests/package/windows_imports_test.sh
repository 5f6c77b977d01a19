#!/usr/bin/env bash
# Both Windows programs must start on Windows 7 SP1: every function they import must be one that
# system has (windows7_imports.txt lists those we rely on, checked against Microsoft's minimum
# versions, and no function there takes a file name in the ANSI code page), no API set may be
# imported, and the PE header may not ask for a newer system. A new import fails here until it
# has been checked and listed.
# Usage: windows_imports_test.sh OBJDUMP EXE...
set -euo pipefail
objdump=$1; shift
allowed=$(dirname "$0")/windows7_imports.txt
fail() { echo "FAIL: $*" >&2; exit 1; }

for exe in "$@"; do
    header=$("$objdump" -p "$exe")
    imports=$(awk '/DLL Name:/ { dll = tolower($3) }
                   /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $3 }' <<<"$header" | sort -u)
    [ -n "$imports" ] || fail "$exe: no imports read"
    ! grep -q '^api-ms-win-\|^ext-ms-win-' <<<"$imports" || fail "$exe imports an API set"
    unknown=$(comm -23 <(echo "$imports") <(grep -v '^#' "$allowed" | sort -u))
    [ -z "$unknown" ] || fail "$(basename "$exe") imports what Windows 7 SP1 may lack:
$unknown"
    # Windows 7 is 6.1; a program that asks for a newer system or subsystem does not start there.
    awk '/^M(aj|in)or(OSystem|Subsystem)Version/ { v[$1] = $2 }
         END { exit !(v["MajorOSystemVersion"] * 100 + v["MinorOSystemVersion"] <= 601 &&
                      v["MajorSubsystemVersion"] * 100 + v["MinorSubsystemVersion"] <= 601) }' \
        <<<"$header" || fail "$exe asks for a system newer than Windows 7"
    echo "$(basename "$exe"): $(wc -l <<<"$imports") imports, all in Windows 7 SP1"
done
