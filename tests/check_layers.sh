#!/usr/bin/env bash
# The core's folders form levels: a folder includes only from the folders
# below it, and nothing in the core includes Qt. Run by CTest.
set -u
core="$1/src/core"
declare -A allowed=(
    [io]=""
    [image]=""
    [platform]="image"
    [colour]="io image platform"
    [objects]="io image colour platform"
    [history]="io image colour objects platform"
    [icon]="io image objects history platform colour"
    [panels]="io image platform colour objects history icon"
    [editor]="io image platform colour objects history icon panels"
    [sysicons]="io image platform icon"
)
status=0
for dir in "$core"/*/; do
    folder=$(basename "$dir")
    if [ -z "${allowed[$folder]+set}" ]; then
        echo "src/core/$folder: a folder with no level; add it to tests/check_layers.sh"
        status=1
        continue
    fi
    while IFS=: read -r file line text; do
        inc=$(sed -E 's/.*#include *[<"]([^">]+)[">].*/\1/' <<<"$text")
        case "$inc" in
        Q*|*/Q*) echo "${file#$1/}:$line: the core never includes Qt ($inc)"; status=1 ;;
        */*)
            top=${inc%%/*}
            [ -d "$core/$top" ] || continue
            [ "$top" = "$folder" ] && continue
            if [[ " ${allowed[$folder]} " != *" $top "* ]]; then
                echo "${file#$1/}:$line: $folder/ may not include $top/ ($inc)"
                status=1
            fi
            ;;
        esac
    done < <(grep -nH '^[[:space:]]*#include' "$dir"* 2>/dev/null)
done
[ $status -eq 0 ] && echo "core layers: ok"
exit $status
