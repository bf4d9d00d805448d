#!/usr/bin/env bash
# Fails unless every DLL in the import table of the exe is a system DLL that
# the loader takes from the system folder (a known DLL) or, for comctl32,
# from the side-by-side store: no compiler run-time DLL that could be
# planted beside it.  Usage: dll_safety_imports.sh OBJDUMP EXE
set -eu
objdump=$1 exe=$2
allowed=" kernel32.dll user32.dll gdi32.dll shell32.dll shlwapi.dll comctl32.dll msvcrt.dll advapi32.dll ole32.dll comdlg32.dll "
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: *//p' | tr -d '\r' | tr 'A-Z' 'a-z')
if [ -z "$imports" ]; then
  echo "no imports found in $exe"; exit 1
fi
bad=0
for dll in $imports; do
  case "$allowed" in
    *" $dll "*) echo "import $dll: system DLL" ;;
    *) echo "import $dll: may be planted beside the exe"; bad=1 ;;
  esac
done
exit $bad
