#!/bin/sh
# Runs a Windows test program under Wine: 64-bit or 32-bit by its header, in a Wine prefix kept in
# the build folder (made once by `wineboot -i`), quietly.
set -e
program="$1"
build="$(cd "$(dirname "$program")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
if objdump -f "$program" 2>/dev/null | grep -q 'pei-i386'; then
    loader=/usr/lib/wine/wine
else
    loader=/usr/lib/wine/wine64
fi
if [ ! -d "$WINEPREFIX" ]; then
    "$loader" wineboot -i >/dev/null 2>&1 || true
fi
# Each program starts on a wineserver of its own: keys sent with SendInput by a program that
# follows another on the same server never reach its windows (seen with the editor test).
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w 2>/dev/null || true
exec "$loader" "$@"
