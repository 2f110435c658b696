#!/usr/bin/env bash
# Two clean builds of the same sources, from copies in different folders, must give
# byte-identical screen saver files: no time stamps, no paths of the build inside.
#   check_reproducible.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1
work_dir=$2

rm -rf "$work_dir"
copy() {
    mkdir -p "$1"
    if git -C "$source_dir" rev-parse --is-inside-work-tree > /dev/null 2>&1; then
        (cd "$source_dir" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$1")
    else
        (cd "$source_dir" && tar --exclude=./build -cf - .) | tar -xf - -C "$1"
    fi
}
first="$work_dir/a"
second="$work_dir/second-copy/with/a/longer/path"
copy "$first"
copy "$second"

status=0
for preset in windows-x86 windows-x64; do
    for tree in "$first" "$second"; do
        (cd "$tree" && cmake --preset "$preset" > /dev/null && cmake --build --preset "$preset" --target tavolin > /dev/null)
    done
    if cmp "$first/build/$preset/tavolin.scr" "$second/build/$preset/tavolin.scr"; then
        echo "$preset: tavolin.scr is the same in both builds ($(stat -c %s "$first/build/$preset/tavolin.scr") bytes)"
    else
        echo "$preset: tavolin.scr differs between the two builds"
        status=1
    fi
done
rm -rf "$work_dir"
exit $status
