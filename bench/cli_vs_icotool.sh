#!/usr/bin/env bash
# CPU time of whole processes, pictoform-cli against icoutils on the same
# files: a nine-image icon extracted to PNG and listed (icotool), start-up
# (--version), and a program holding 184 icon groups listed and extracted
# (wrestool). The icon is converted twice: over the PNGs of the run before,
# which are flushed to disk before they are replaced, and into new files.
# Rounds alternate the two tools; each prints the median over the
# rounds of the CPU time per run and the ratio of medians; then the sizes of
# the PNGs each wrote.
# Usage: bench/cli_vs_icotool.sh [path/to/pictoform-cli] [ROUNDS]
#   (needs icoutils, imagemagick and MinGW-w64's binutils)
set -euo pipefail
cli=$(realpath "${1:-build/src/cli/pictoform-cli}")
rounds="${2:-9}"
runs=50
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
pngs=()
for side in 16 20 24 32 40 48 64 128 256; do
    /usr/bin/convert -size ${side}x${side} radial-gradient:'#ff8000'-'#0040ff' \
        -alpha set -channel A -fx 'hypot(i-w/2,j-h/2) < w/2 ? 1 : 0' +channel "p$side.png"
    pngs+=("p$side.png")
done
"$cli" convert "${pngs[@]}" --png none -o big.ico >/dev/null
# A program with the icon groups of a large system library: 184 groups of
# four small images and a PNG-compressed 256 x 256 one.
"$cli" convert p16.png p24.png p32.png p48.png p256.png --png 256 -o small.ico >/dev/null
for i in $(seq 184); do echo "$i ICON \"small.ico\""; done >prog.rc
x86_64-w64-mingw32-windres --preprocessor=cat -i prog.rc -O coff -o prog.o
x86_64-w64-mingw32-ld --dll -e 0 -o prog.dll prog.o
mkdir -p a b pa pb
# CPU seconds (user + system) of $runs runs of a command, per run in ms.
cpu_ms() {
    /usr/bin/time -f "%U %S" -o "$work/t" sh -c "for i in \$(seq $runs); do $1 >/dev/null 2>&1; done"
    awk -v n="$runs" '{ printf "%.2f\n", ($1 + $2) * 1000 / n }' "$work/t"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-34s %10s %10s %7s\n' "task" "ours ms" "icoutils ms" "ratio"
for pair in "convert big.ico -o a/out.png|icotool -x -o b big.ico" \
    'convert big.ico -o new/$$-$i.png|icotool -x -o b big.ico' \
    "info big.ico|icotool -l big.ico" "--version|icotool --version" \
    "info prog.dll|wrestool -l prog.dll" \
    "convert prog.dll --all -o pa|wrestool -x --type=14 -o pb prog.dll"; do
    ours="$cli ${pair%%|*}"
    theirs="${pair##*|}"
    : >ours.txt
    : >theirs.txt
    for _ in $(seq "$rounds"); do
        rm -rf new && mkdir new
        cpu_ms "$ours" >>ours.txt
        cpu_ms "$theirs" >>theirs.txt
    done
    o=$(median <ours.txt)
    t=$(median <theirs.txt)
    awk -v task="${pair%%|*}" -v o="$o" -v t="$t" \
        'BEGIN { printf "%-34s %10s %10s %7.2f\n", task, o, t, o / t }'
done
# The converted PNGs' sizes next to icotool's, image by image (matched by
# their size in pixels) and in all.
echo
printf '%-10s %10s %10s %7s\n' "image" "ours B" "icotool B" "ratio"
total_ours=0
total_theirs=0
for side in 16 20 24 32 40 48 64 128 256; do
    o=$(stat -c %s a/out-*-${side}x${side}.png)
    t=$(stat -c %s b/big_*_${side}x${side}x32.png)
    total_ours=$((total_ours + o))
    total_theirs=$((total_theirs + t))
    awk -v s="${side}x${side}" -v o="$o" -v t="$t" 'BEGIN { printf "%-10s %10d %10d %7.3f\n", s, o, t, o / t }'
done
awk -v o="$total_ours" -v t="$total_theirs" 'BEGIN { printf "%-10s %10d %10d %7.3f\n", "all", o, t, o / t }'
