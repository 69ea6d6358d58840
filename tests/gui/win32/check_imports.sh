#!/bin/sh
# Fails unless each program imports from nothing but the system's DLLs and its C runtime.
#   tests/gui/win32/check_imports.sh <objdump> <program.exe>...
objdump=$1
shift
status=0
for program in "$@"; do
    dlls=$("$objdump" -p "$program" | awk '/DLL Name:/ { print tolower($3) }' | sort -u | tr '\n' ' ')
    if [ -z "$dlls" ]; then
        echo "$program: no import table found"
        status=1
    fi
    for dll in $dlls; do
        case $dll in
            kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll) ;;
            *) echo "$program: imports $dll"; status=1 ;;
        esac
    done
    echo "$program: imports $dlls"
done
exit $status
