#!/usr/bin/python3
"""Colour reduction of our icon writer next to ImageMagick's, on real icons.

Usage: bench/reduction_vs_imagemagick.py [path/to/pictoform-cli]
(needs python3-pil, imagemagick, and apt-get for the icons of two Debian packages;
/usr/bin/python3 because that is the Python Debian's Pillow is installed for)

Pictures: the 256 and 48 images of idle-python3.11's idle.ico, the largest
32-bit images of a few NSIS icons (nsis-common) and Adwaita theme PNGs. Packages are fetched once with
`apt-get download` into ~/.cache/pictoform-bench and never leave it.

Each picture is first prepared the way the writer sees it below 32 bits: alpha
under 128 becomes transparent, the rest is laid over white with rounding,
v = (v*a + 255*(255-a) + 127) // 255, and made opaque. Over the P opaque pixels:
    RMSE = sqrt( sum over pixels and R,G,B of (reduced - prepared)^2 / (3 * P) )
in 0..255 units. Ours: `pictoform-cli convert prepared.png --depth N -o out.ico`,
read back by Pillow. ImageMagick: `convert +dither -colors N` given the opaque
pixels alone as an RGB strip: rows of at most 16000 pixels (Debian's policy
limit), the last one filled up with at most 4 repeated pixels that are not
measured. Our 16-colour palette keeps one entry for transparent pixels while
ImageMagick would spend one on transparency (or on the colour left under it),
so neither side gets to spend colours on pixels that are not measured.
Ratio = ours / ImageMagick; lower is better.
"""
import glob, math, os, subprocess, sys, tempfile
from PIL import Image, ImageChops

CACHE = os.path.expanduser("~/.cache/pictoform-bench")
ADWAITA = "/usr/share/icons/Adwaita"
IM = "/usr/bin/convert"
# (package, path inside it, size to take, bit count of the icon entry or None)
PICTURES = [
    ("idle-python3.11", "usr/lib/python3.11/idlelib/Icons/idle.ico", 256, 32),
    ("idle-python3.11", "usr/lib/python3.11/idlelib/Icons/idle.ico", 48, 32),
    ("nsis-common", "usr/share/nsis/Contrib/Graphics/Icons/nsis-menu.ico", 256, 32),
    ("nsis-common", "usr/share/nsis/Contrib/Graphics/Icons/modern-install-colorful.ico", 48, 32),
    ("nsis-common", "usr/share/nsis/Contrib/Graphics/Icons/orange-install.ico", 48, 32),
    ("nsis-common", "usr/share/nsis/Contrib/Graphics/Icons/modern-uninstall-full.ico", 48, 32),
    ("adwaita-icon-theme", "256x256/places/user-trash.png", 256, None),
    ("adwaita-icon-theme", "256x256/mimetypes/x-package-repository.png", 256, None),
    ("adwaita-icon-theme", "512x512/places/folder.png", 256, None),  # halved: icons stop at 256
    ("adwaita-icon-theme", "48x48/legacy/applications-graphics.png", 48, None),
    ("adwaita-icon-theme", "48x48/legacy/preferences-desktop-wallpaper.png", 48, None),
    ("adwaita-icon-theme", "48x48/legacy/web-browser.png", 48, None),
]


def unpacked(package):
    """Folder holding the package's files, downloaded and unpacked on first use."""
    root = os.path.join(CACHE, package)
    if not os.path.isdir(root):
        os.makedirs(CACHE, exist_ok=True)
        if not glob.glob(os.path.join(CACHE, package + "_*.deb")):
            print(f"fetching {package}", file=sys.stderr)
            run = subprocess.run(["apt-get", "download", "-q", package], cwd=CACHE,
                                 capture_output=True, text=True)
            if run.returncode != 0:
                last = (run.stderr.strip().splitlines() or [""])[-1]
                raise OSError(f"apt-get download {package} failed (apt-get update first?) {last}")
        deb = sorted(glob.glob(os.path.join(CACHE, package + "_*.deb")))[-1]
        subprocess.run(["dpkg-deb", "-x", deb, root + ".part"], check=True)
        os.rename(root + ".part", root)
    return root


def load(package, path, size, bits):
    if package == "adwaita-icon-theme" and os.path.exists(os.path.join(ADWAITA, path)):
        full = os.path.join(ADWAITA, path)
    else:
        base = "usr/share/icons/Adwaita/" if package == "adwaita-icon-theme" else ""
        full = os.path.join(unpacked(package), base + path)
    if full.endswith(".ico"):
        # Pillow's own lookup falls back to the first entry when none fits.
        ico = Image.open(full).ico
        found = [i for i, e in enumerate(ico.entry) if e["dim"] == (size, size) and e["bpp"] == bits]
        if not found:
            raise ValueError(f"no {size}x{size} {bits}-bit image in {full}")
        return ico.frame(found[0]).convert("RGBA")
    img = Image.open(full).convert("RGBA")
    return img if img.size == (size, size) else img.resize((size, size), Image.LANCZOS)


def prepare(img):
    out = []
    for r, g, b, a in img.getdata():
        if a < 128:
            out.append((0, 0, 0, 0))
        else:
            out.append(tuple((v * a + 255 * (255 - a) + 127) // 255 for v in (r, g, b)) + (255,))
    prepared = Image.new("RGBA", img.size)
    prepared.putdata(out)
    return prepared


def rmse(wanted, got):
    """Both lists of (r, g, b), one entry per opaque pixel, in the same order."""
    return math.sqrt(sum((a - b) ** 2 for p, q in zip(wanted, got) for a, b in zip(p, q))
                     / (3 * len(wanted)))


def ours(cli, prepared, depth, work):
    src, dst = os.path.join(work, "in.png"), os.path.join(work, f"ours{depth}.ico")
    prepared.save(src)
    run = subprocess.run([cli, "convert", src, "--depth", str(depth), "-o", dst],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if run.returncode != 0:
        print(f"  pictoform-cli failed at depth {depth}: {run.stderr.strip()}", file=sys.stderr)
        return math.inf
    back = Image.open(dst)
    back.size = prepared.size
    back = back.convert("RGBA")
    alpha = prepared.getchannel("A")
    # The measure only means something if the writer kept the same pixels opaque
    # and stayed within its palette.
    if ImageChops.difference(alpha, back.getchannel("A")).getbbox():
        print(f"  warning: depth {depth} changed which pixels are opaque", file=sys.stderr)
    used = {p[:3] for p in back.getdata() if p[3]}
    if len(used) > depth:
        print(f"  warning: depth {depth} image uses {len(used)} colours", file=sys.stderr)
    return rmse([p[:3] for p in prepared.getdata() if p[3]],
                [q[:3] for p, q in zip(prepared.getdata(), back.getdata()) if p[3]])


def imagemagick(opaque, depth, work):
    rows = -(-len(opaque) // 16000)
    width = -(-len(opaque) // rows)
    strip = Image.new("RGB", (width, rows))
    strip.putdata(opaque + opaque[:width * rows - len(opaque)])
    src, dst = os.path.join(work, "strip.png"), os.path.join(work, f"im{depth}.png")
    strip.save(src)
    subprocess.run([IM, src, "+dither", "-colors", str(depth), dst], check=True)
    return rmse(opaque, list(Image.open(dst).convert("RGB").getdata())[:len(opaque)])


def ratio(a, b):
    return a / b if b > 0 else (1.0 if a == 0 else math.inf)


def main():
    cli = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/src/cli/pictoform-cli")
    for tool in (cli, IM):
        if not os.access(tool, os.X_OK):
            sys.exit(f"{tool} not found; usage: {sys.argv[0]} [path/to/pictoform-cli]")
    head = f"{'picture':<42} {'size':>7} {'opaque':>6} {'ours16':>7} {'im16':>7} {'ratio16':>7}" \
           f" {'ours256':>7} {'im256':>7} {'ratio256':>8}"
    print(head)
    print("-" * len(head))
    worst = {16: 0.0, 256: 0.0}
    measured = 0
    with tempfile.TemporaryDirectory() as work:
        for package, path, size, bits in PICTURES:
            name = f"{os.path.basename(path)}@{size}"
            try:
                prepared = prepare(load(package, path, size, bits))
            except (OSError, ValueError, subprocess.CalledProcessError) as e:
                print(f"{name:<42} skipped: {e}")
                continue
            opaque = [p[:3] for p in prepared.getdata() if p[3]]
            if not opaque:
                print(f"{name:<42} skipped: no opaque pixel")
                continue
            measured += 1
            row = f"{name:<42} {size:>3}x{size:<3} {len(opaque):>6}"
            for depth, width in ((16, 7), (256, 8)):
                mine, theirs = ours(cli, prepared, depth, work), imagemagick(opaque, depth, work)
                worst[depth] = max(worst[depth], ratio(mine, theirs))
                row += f" {mine:>7.2f} {theirs:>7.2f} {ratio(mine, theirs):>{width}.2f}"
            print(row, flush=True)
    if measured < 6:
        print(f"only {measured} pictures could be measured; the worst ratio says little")
    verdict = lambda r: "within 1.10" if r <= 1.10 else "over 1.10"
    print(f"worst ratio: 16 colours {worst[16]:.2f} ({verdict(worst[16])}), "
          f"256 colours {worst[256]:.2f} ({verdict(worst[256])})")


if __name__ == "__main__":
    main()
