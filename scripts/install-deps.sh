#!/usr/bin/env bash
# Installs from Debian's archive what building and testing the saver needs
# (Debian 12; as root, or through sudo). Installs nothing that is already there.
set -euo pipefail

packages=(
    cmake make g++                                          # the host build
    libgtest-dev libgmock-dev                               # unit and end-to-end tests
    clang libclang-rt-14-dev                                # the fuzz target: clang and libFuzzer
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32     # the Windows builds
    wine64 xvfb fonts-liberation                            # running the saver: Wine, a virtual display, Arial's metrics
    libx11-dev libxtst-dev libxfixes-dev                    # watching and driving it from the tests
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
