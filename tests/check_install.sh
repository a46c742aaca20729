#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the layout that the
# installed program reads: bin/pictoform, and every shipped mask and preset,
# byte for byte, under share/pictoform; the menu entry and the icons.
# Run by CTest: check_install.sh CMAKE BUILD_DIR
set -u
cmake_exe="$1"
build="$2"
data="$(cd "$(dirname "$0")/../data" && pwd)"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

if ! "$cmake_exe" --install "$build" --prefix "$prefix" >"$prefix/install.log" 2>&1; then
    cat "$prefix/install.log"
    echo "FAIL: cmake --install did not succeed"
    exit 1
fi

status=0
if [ ! -x "$prefix/bin/pictoform" ]; then
    echo "FAIL: bin/pictoform is not installed"
    status=1
fi
for folder in Masks Presets; do
    count=0
    for source in "$data/$folder"/*; do
        [ -f "$source" ] || continue
        count=$((count + 1))
        installed="$prefix/share/pictoform/$folder/$(basename "$source")"
        if ! cmp -s "$source" "$installed"; then
            echo "FAIL: $folder/$(basename "$source") is missing or differs after install"
            status=1
        fi
    done
    if [ "$count" -eq 0 ]; then
        echo "FAIL: data/$folder holds no files"
        status=1
    fi
    extra=$(comm -13 <(ls "$data/$folder") <(ls "$prefix/share/pictoform/$folder" 2>/dev/null))
    if [ -n "$extra" ]; then
        echo "FAIL: share/pictoform/$folder holds files that data/ does not: $extra"
        status=1
    fi
done
# The desktop's menu entry and the program's icon at every size it ships in.
if ! grep -qx 'Exec=pictoform %f' "$prefix/share/applications/pictoform.desktop" 2>/dev/null; then
    echo "FAIL: share/applications/pictoform.desktop is missing or does not start pictoform"
    status=1
fi
for size in 16 32 48 256; do
    if ! cmp -s "$data/icons/pictoform-$size.png" \
        "$prefix/share/icons/hicolor/${size}x$size/apps/pictoform.png"; then
        echo "FAIL: the ${size}x$size program icon is missing or differs after install"
        status=1
    fi
done
# The description for software centres, the manual pages and the thumbnailer.
for file in share/metainfo/org.example.pictoform.metainfo.xml share/man/man1/pictoform.1 \
    share/man/man1/pictoform-cli.1 bin/pictoform-cli share/thumbnailers/pictoform.thumbnailer; do
    if [ ! -s "$prefix/$file" ]; then
        echo "FAIL: $file is not installed"
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "install layout OK"
exit "$status"
