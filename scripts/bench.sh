#!/usr/bin/env bash
# Benchmarks the saver: installs what is missing, builds the Windows programs
# (the saver and the two floors it is measured against) and the host harness, then
# runs all three under Wine on a virtual display and prints the table. Arguments go
# to the benchmark: --runs N (5), --seconds S (20), --warmup S (3), --arch x64|x86.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in windows-x86 windows-x64 host; do
    cmake --preset "$preset" > /dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
done
build/host/bench/saver_bench "$@"
