#!/usr/bin/env bash
# Builds the fuzz harnesses with clang in build-fuzz/ and runs each for
# SECONDS_EACH seconds (default 60) on a corpus seeded from fuzz/seeds/ and,
# for whole files, with the cursor themes the system has. Memory out of proportion to
# the input counts as a finding: one allocation over 1200 MB, or more than
# 2 GB in all, for inputs of at most 1 MB.
# Usage: fuzz/run.sh [SECONDS_EACH]
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a \
    >/dev/null 2>&1; then
    echo "fuzz/run.sh needs clang and libFuzzer: sudo apt-get install clang libclang-rt-14-dev" >&2
    exit 1
fi
seconds="${1:-60}"
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DPICTOFORM_FUZZ=ON \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build build-fuzz --parallel 2
corpus=build-fuzz/corpus
harnesses=(OpenFile InstallInf Project SavedState)
for harness in "${harnesses[@]}"; do
    mkdir -p "$corpus/$harness"
    # Seeds kept in the tree, a few small files for each reader.
    if [ -d "fuzz/seeds/$harness" ]; then cp -n "fuzz/seeds/$harness"/* "$corpus/$harness/"; fi
done
# And small real cursors of every kind the system has.
find /usr/share/icons -path '*/cursors/*' -type f -size -64k 2>/dev/null | head -200 |
    while read -r f; do cp -n "$f" "$corpus/OpenFile/$(echo "$f" | md5sum | cut -c1-16)"; done
status=0
for harness in "${harnesses[@]}"; do
    echo "== $harness, $seconds s"
    "build-fuzz/fuzz/fuzz_$harness" "$corpus/$harness" -max_total_time="$seconds" \
        -max_len=1048576 -malloc_limit_mb=1200 -rss_limit_mb=2048 -timeout=20 \
        -artifact_prefix="build-fuzz/$harness-" -print_final_stats=1 || status=1
done
exit "$status"
