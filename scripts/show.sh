#!/usr/bin/env bash
# Shows the saver: installs what is missing, builds the 64-bit Windows program and
# runs it with /s under Wine, in a Wine prefix of its own inside the build folder.
# With DISPLAY set it shows on that display until a key, a click or the mouse ends
# it. Without one it runs on a virtual display, saves a screenshot of the first
# paint and one after a tick, ends the saver with a key press and reports its
# exit code.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset windows-x64 > /dev/null
cmake --build --preset windows-x64 -j "$(nproc)"

if [ -n "${DISPLAY:-}" ]; then
    export WINEPREFIX="$PWD/build/windows-x64/wine-prefix-desktop" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    [ -d "$WINEPREFIX" ] || /usr/lib/wine/wine64 wineboot -i
    echo "Showing the saver on $DISPLAY: a key, a click or moving the mouse ends it."
    code=0
    /usr/lib/wine/wine64 build/windows-x64/tavolin.exe /s || code=$?
    echo "tavolin.exe /s exited with code $code"
else
    cmake --preset host > /dev/null
    cmake --build --preset host -j "$(nproc)" --target show_on_virtual_display
    build/host/tests/show_on_virtual_display build/windows-x64/screenshots
fi
