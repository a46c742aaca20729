#!/usr/bin/env bash
# Whole-process time of extracting every image of a nine-image icon to PNG:
# pictoform-cli next to icoutils' icotool on the same file.
# Usage: bench/cli_vs_icotool.sh [path/to/pictoform-cli]   (needs icoutils,
# imagemagick; uses hyperfine when installed, else a plain timing loop)
set -euo pipefail
cli=$(realpath "${1:-build/src/cli/pictoform-cli}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
pngs=()
for side in 16 20 24 32 40 48 64 128 256; do
    /usr/bin/convert -size ${side}x${side} radial-gradient:'#ff8000'-'#0040ff' \
        -alpha set -channel A -fx 'hypot(i-w/2,j-h/2) < w/2 ? 1 : 0' +channel "p$side.png"
    pngs+=("p$side.png")
done
"$cli" convert "${pngs[@]}" -o big.ico
ls -l big.ico
mkdir -p a b
if command -v hyperfine >/dev/null; then
    hyperfine --warmup 5 --runs 50 \
        "$cli convert big.ico -o a/out.png" \
        "icotool -x -o b big.ico"
else
    for cmd in "$cli convert big.ico -o a/out.png" "icotool -x -o b big.ico"; do
        start=$(date +%s%N)
        for _ in $(seq 50); do $cmd >/dev/null; done
        echo "$cmd: $(( ($(date +%s%N) - start) / 50000 )) us per run"
    done
fi
