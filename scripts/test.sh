#!/usr/bin/env bash
# Installs what is missing, builds the saver for the host and for 32- and 64-bit
# Windows, and runs every test: the host unit tests (also under the sanitizers),
# the end-to-end tests that run the Windows program under Wine, the checks of the
# shipped files, and a bounded fuzz run of the command-line handling.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in windows-x86 windows-x64 host host-asan fuzz; do
    cmake --preset "$preset" > /dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
done
# One at a time: the end-to-end tests time the saver's tick.
ctest --preset host
# The unit tests again, under the address and undefined-behaviour sanitizers.
ctest --preset host-asan
# About 30 s of fuzzing the command-line handling; any finding fails.
ctest --preset fuzz
