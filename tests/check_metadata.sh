#!/usr/bin/env bash
# The files the desktop reads about the program, checked by the desktop's own
# validators: the AppStream description, the menu entry, and the manual pages
# (rendered by man without a warning).
# Run by CTest: check_metadata.sh SOURCE_DIR
set -u
source_dir="$1"
status=0
require() { # program, package
    if ! command -v "$1" >/dev/null; then
        if [ -n "${PICTOFORM_REQUIRE_ORACLES:-}" ]; then
            echo "FAIL: $1 ($2) is needed"
            status=1
        else
            echo "SKIP: $1 ($2) is missing"
        fi
        return 1
    fi
}
if require appstreamcli appstream; then
    if ! appstreamcli validate --no-net "$source_dir/data/metainfo/org.example.pictoform.metainfo.xml"; then
        echo "FAIL: the AppStream description does not validate"
        status=1
    fi
fi
if require desktop-file-validate desktop-file-utils; then
    if ! desktop-file-validate "$source_dir/src/desktop/pictoform.desktop"; then
        echo "FAIL: the desktop entry does not validate"
        status=1
    fi
fi
# A software centre lists the types the metainfo names; the file manager opens
# those the desktop entry names: the two must agree.
desktop_types=$(sed -n 's/^MimeType=//p' "$source_dir/src/desktop/pictoform.desktop")
for type in $(sed -n 's:.*<mediatype>\(.*\)</mediatype>.*:\1:p' "$source_dir/data/metainfo/org.example.pictoform.metainfo.xml"); do
    case ";$desktop_types" in
    *";$type;"*) ;;
    *)
        echo "FAIL: the metainfo names $type, which the desktop entry does not open"
        status=1
        ;;
    esac
done
# File managers show thumbnails of the very files the program opens.
thumbnail_types=$(sed -n 's/^MimeType=//p' "$source_dir/data/thumbnailers/pictoform.thumbnailer")
if [ "$(tr ';' '\n' <<<"$thumbnail_types" | sort)" != "$(tr ';' '\n' <<<"$desktop_types" | sort)" ]; then
    echo "FAIL: the thumbnailer's types ($thumbnail_types) are not those the desktop entry opens"
    status=1
fi
if require man man-db; then
    for page in pictoform.1 pictoform-cli.1; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$source_dir/data/man/$page" 2>&1 >/dev/null)
        if [ -n "$warnings" ]; then
            echo "FAIL: man warns about $page:"
            echo "$warnings"
            status=1
        fi
    done
fi
[ "$status" -eq 0 ] && echo "metadata OK"
exit "$status"
