#!/bin/bash
# Runs the Windows builds' suites under Wine on a virtual X display: one Wine prefix per build
# folder, booted once, then ctest (each test program goes through tools/wine-run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEDEBUG=-all

# 32-bit Wine needs a kernel that runs 32-bit programs; some containers cannot.
can_run_32bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

run_suites() {
    local preset="$1" loader="$2"
    export WINEPREFIX="$PWD/build-$preset/wineprefix"
    if [ ! -d "$WINEPREFIX" ]; then
        "$loader" wineboot -i >/dev/null 2>&1 || true
    fi
    ctest --preset "$preset"
    /usr/lib/wine/wineserver -k 2>/dev/null || true
}

main() {
    run_suites win64 /usr/lib/wine/wine64
    if can_run_32bit; then
        run_suites win32 /usr/lib/wine/wine
    else
        echo "test-windows: this kernel cannot run 32-bit programs; the win32 suites are built but not run"
    fi
}

if [ -z "${DISPLAY:-}" ] && [ -z "${BRINDLET_IN_XVFB:-}" ]; then
    export BRINDLET_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
main
