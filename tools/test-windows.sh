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
    local status=0
    ctest --preset "$preset" || status=$?
    pictures "$preset"
    WINEPREFIX="$WINEPREFIX" /usr/lib/wine/wineserver -k 2>/dev/null || true
    return $status
}

# The editor's screenshots as PNG, and how far they are from the Linux pictures of the same state.
pictures() {
    local folder="build-$1/pictures/windows"
    [ -d "$folder" ] || return 0
    python3 tools/bmp-to-png.py "$folder"/*.bmp
    if [ -f build/pictures/editor/editor-preset-0.png ]; then
        python3 tools/bmp-to-png.py --compare "$folder/editor-preset-0.png" \
            build/pictures/editor/editor-preset-0.png
    fi
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
