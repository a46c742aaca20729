#!/usr/bin/env bash
# The thumbnailer as file managers run it: GNOME's own thumbnail factory
# (through python3-gi) finds the installed pictoform.thumbnailer for each
# file's type as the desktop detects it, runs pictoform-cli in its sandbox,
# and gets the picture expected: the image nearest the size, of files that
# other programs made.
# The factory's sandbox shows only /usr, so the scratch install is mounted on
# /usr/local inside a sandbox of our own.
# Run by CTest: check_thumbnailer.sh CMAKE BUILD_DIR SOURCE_DIR
set -u
cmake_exe="$1"
build="$2"
source_dir="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

missing() {
    if [ -n "${PICTOFORM_REQUIRE_ORACLES:-}" ]; then
        echo "FAIL: $1 is needed"
        exit 1
    fi
    echo "SKIP: $1 is missing"
    exit 0
}
bwrap --dev-bind / / true 2>/dev/null || missing "a working bwrap (bubblewrap, with user namespaces)"
command -v icotool >/dev/null || missing "icotool (icoutils)"
command -v xcursorgen >/dev/null || missing "xcursorgen (x11-apps)"
[ -x /usr/bin/convert ] || missing "convert (imagemagick)"
/usr/bin/python3 -c "import gi; gi.require_version('GnomeDesktop', '3.0'); from gi.repository import GnomeDesktop; import PIL" 2>/dev/null ||
    missing "GNOME's thumbnail factory (gir1.2-gnomedesktop-3.0) or Pillow"

if ! "$cmake_exe" --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install did not succeed"
    exit 1
fi

# The files, as other programs make them.
cd "$work" || exit 1
trap 'echo "FAIL: a test file could not be made (line $LINENO)"' ERR
set -e
/usr/bin/convert "$source_dir/data/icons/pictoform-256.png" -define icon:auto-resize=256,48,32,16 icon.ico
/usr/bin/convert -size 32x32 xc:none -fill '#c02040' -draw 'circle 16,16 16,3' pointer.png
icotool -c --cursor -X 16 -Y 16 -o pointer.cur pointer.png
for side in 24 48; do
    for frame in 1 2; do
        /usr/bin/convert -size ${side}x$side xc:none -fill "#20${frame}0c0" \
            -draw "rectangle 2,2 $((side - 3)),$((side / frame - 1))" "x$side-$frame.png"
        echo "$side 1 1 x$side-$frame.png 50" >>xcursor.cfg
    done
done
xcursorgen xcursor.cfg busy-cursor
"$work/prefix/bin/pictoform-cli" convert x48-2.png x48-1.png -o frames.ani --hotspot 1,1 >/dev/null
set +e
trap - ERR

cat >factory.py <<'PY'
import sys
import gi
gi.require_version('GnomeDesktop', '3.0')
from gi.repository import GnomeDesktop, Gio
from PIL import Image

# File, size, what the thumbnail must be: the PNG of an image, or the
# thumbnail pictoform-cli makes outside the sandbox (when it is scaled).
cases = [
    ('icon.ico', 'LARGE', 'ico:256'),
    ('icon.ico', 'NORMAL', 'cli:128'),
    ('pointer.cur', 'NORMAL', 'pointer.png'),
    ('frames.ani', 'NORMAL', 'x48-2.png'),
    ('busy-cursor', 'NORMAL', 'x48-1.png'),
]
failed = False
for name, size, expected in cases:
    path = sys.argv[1] + '/' + name
    info = Gio.File.new_for_path(path).query_info('standard::content-type', 0, None)
    mime = Gio.content_type_get_mime_type(info.get_content_type())
    factory = GnomeDesktop.DesktopThumbnailFactory.new(getattr(GnomeDesktop.DesktopThumbnailSize, size))
    uri = Gio.File.new_for_path(path).get_uri()
    if not factory.can_thumbnail(uri, mime, 0):
        print(f'FAIL: no thumbnailer for {name} ({mime})')
        failed = True
        continue
    try:
        pixbuf = factory.generate_thumbnail(uri, mime)
    except Exception as e:
        print(f'FAIL: {name} ({mime}) at {size}: {e}')
        failed = True
        continue
    got = Image.frombytes('RGBA' if pixbuf.get_has_alpha() else 'RGB',
                          (pixbuf.get_width(), pixbuf.get_height()),
                          pixbuf.get_pixels(), 'raw',
                          'RGBA' if pixbuf.get_has_alpha() else 'RGB',
                          pixbuf.get_rowstride()).convert('RGBA')
    if expected.startswith('ico:'):
        icon = Image.open(path)
        icon.size = (int(expected[4:]),) * 2
        want = icon.convert('RGBA')
    elif expected.startswith('cli:'):
        want = Image.open(sys.argv[1] + '/cli-' + name + '.png').convert('RGBA')
    else:
        want = Image.open(sys.argv[1] + '/' + expected).convert('RGBA')
    # Colour under full transparency is not part of the picture.
    def seen(image):
        return [p if p[3] else (0, 0, 0, 0) for p in image.getdata()]
    if got.size != want.size or seen(got) != seen(want):
        differ = sum(a != b for a, b in zip(seen(got), seen(want)))
        print(f'FAIL: {name} ({mime}) at {size}: {got.size[0]} x {got.size[1]}, not the picture '
              f'expected ({want.size[0]} x {want.size[1]}; {differ} pixels differ)')
        failed = True
    else:
        print(f'ok: {name} ({mime}) at {size}: {got.size[0]} x {got.size[1]}')
sys.exit(1 if failed else 0)
PY
"$work/prefix/bin/pictoform-cli" thumbnail --size 128 icon.ico cli-icon.ico.png ||
    { echo "FAIL: pictoform-cli thumbnail failed outside the sandbox"; exit 1; }

# Only the thumbnailers under /usr/local (ours) and the system's; the user's
# own would come first.
bwrap --dev-bind / / --bind "$work/prefix" /usr/local -- \
    env HOME="$work" XDG_DATA_HOME="$work/no-user-data" XDG_CACHE_HOME="$work/cache" \
    XDG_DATA_DIRS=/usr/local/share:/usr/share PATH="/usr/local/bin:$PATH" \
    /usr/bin/python3 factory.py "$work"
status=$?
[ "$status" -eq 0 ] && echo "thumbnailer OK"
exit "$status"
