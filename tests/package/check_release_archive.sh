#!/usr/bin/env bash
# cpack in the 32-bit build gives the release archive with both savers, the README
# and the license, and nothing else.
#   check_release_archive.sh WINDOWS_X86_BUILD_DIR VERSION
set -euo pipefail
build_dir=$1
version=$2
archive="tavolin-$version-windows.zip"

cd "$build_dir"
rm -f "$archive"
cpack -G ZIP > /dev/null
listing=$(cmake -E tar tf "$archive" | sort | tr '\n' ' ')
expected="LICENSE README.md tavolin-x64.scr tavolin-x86.scr "
if [ "$listing" != "$expected" ]; then
    echo "$archive holds: $listing"
    echo "expected:       $expected"
    exit 1
fi
echo "$archive holds $listing"
