#!/usr/bin/env bash
# Plants hand-made faults in the core one at a time and records whether the
# test suite catches each one: run it before and after trimming the tests, so
# that no fault the suite caught goes unnoticed. Not part of the test run
# (about 20 minutes).
#
# Usage: plant.sh CHECKOUT [FAULT_NUMBER...]
#   CHECKOUT   a git checkout of Pictoform with a configured build dir at
#              CHECKOUT/build (Ninja). Only the faulted file is touched and
#              it is restored with `git checkout -- FILE` afterwards.
#   FAULT_NUMBER  run only these faults (default: all).
# Environment: LOGDIR (default /tmp/faults/logs), CTEST_TIMEOUT (per test,
#   default 120 s), SKIP_BASELINE=1 to skip the clean run.
set -uo pipefail

checkout=${1:?usage: plant.sh CHECKOUT [FAULT_NUMBER...]}
shift
checkout=$(cd "$checkout" && pwd)
build=$checkout/build
logdir=${LOGDIR:-/tmp/faults/logs}
timeout=${CTEST_TIMEOUT:-120}
py=/usr/bin/python3
export CCACHE_BASEDIR=$checkout CCACHE_NOHASHDIR=1 PICTOFORM_REQUIRE_ORACLES=1

[[ -f $build/build.ninja ]] || { echo "no configured build dir at $build" >&2; exit 2; }
mkdir -p "$logdir"

# The faults: file | old text (must occur exactly once) | new text | description.
# Fields are separated by " ||| ", one fault per line.
read -r -d '' FAULTS <<'DATA'
src/core/image/LayerImage.cpp ||| under * (255 - a) + over * (a + 1) ||| under * (255 - a) + over * a ||| blend weight of the top colour a, not a+1 (full strength no longer replaces exactly)
src/core/image/LayerImage.cpp ||| (!hardEdges || sumWeight >= 9) ||| (!hardEdges || sumWeight >= 8) ||| 3x3 reduction, hard edges: a block covered exactly half is taken
src/core/icon/IconFileWrite.cpp ||| PutU32(b, static_cast<uint32_t>(stride * h)); ||| PutU32(b, static_cast<uint32_t>((stride + maskStride) * h)); ||| BMP image-size field written with the mask rows counted in
src/core/icon/IconFileWrite.cpp ||| static_cast<uint16_t>(rec.width - 1) ||| static_cast<uint16_t>(rec.width) ||| cursor hot spot x clamped to one past the last column
src/core/icon/IconImageDecoder.cpp ||| declaredEnd < maskEnd && room < maskEnd ||| declaredEnd < maskEnd && room <= maskEnd ||| mask left out of the entry size is dropped when it ends exactly at the next image
src/core/icon/ColorReduction.cpp ||| entries >= 16 || holes ? entries - 1 : entries ||| entries > 16 || holes ? entries - 1 : entries ||| 16-colour image without holes no longer keeps its last palette entry black
src/core/icon/ProjectFile.cpp ||| if (hasDelay) xcursor.delay = delay; ||| xcursor.delay = delay; ||| project reader takes an Xcursor delay the file says is absent
src/core/icon/XcursorFile.cpp ||| (v * 255 + a / 2) / a ||| (v * 255) / a ||| Xcursor un-premultiply truncates instead of rounding
src/core/icon/IconImageDecoder.cpp ||| height = PngNumber(png, 20) ||| height = PngNumber(png, 16) ||| listed (header-only) PNG image takes its width as its height
src/core/colour/ColorAdjust.cpp ||| bgr[1] = ToChannel(static_cast<float>(r + b) * others ||| bgr[1] = ToChannel(static_cast<float>(r + g) * others ||| Saturate mixes green with green+red instead of red+blue
src/core/objects/PatternHandles.cpp ||| g.axisU = Scale(dirU, -Dot(Sub(f, p), dirU)); ||| g.axisU = Scale(dirU, Dot(Sub(f, p), dirU)); ||| dragging the right-top handle flips the width's sign
src/core/objects/RectPattern.cpp ||| const float iv = Inset(m_thickness, AxisV()); ||| const float iv = Inset(m_thickness, AxisU()); ||| rectangle outline: top/bottom band inset measured along U
src/core/history/HistoryChain.cpp ||| c >= 0 ? c / 3 : -((2 - c) / 3) ||| c / 3 ||| replayed one-pixel line: negative canvas coordinate rounds toward zero
src/core/panels/SizeDialog.cpp ||| if (width > kMaxSide || height > kMaxSide) { ||| if (width > kMaxSide || height >= kMaxSide) { ||| size dialog refuses the largest allowed height
src/core/panels/PictureSizeDialog.cpp ||| kPictureSizes[i] <= side ||| kPictureSizes[i] < side ||| picture-size dialog does not pre-check the picture's own size
src/core/editor/ViewGeometry.cpp ||| if (step >= zoom) break; ||| if (step > zoom) break; ||| zoom out from a listed step stays at that step
src/core/editor/ViewMouseTools.cpp ||| std::abs(cx - s.x) >= 3.0f && std::abs(cy - s.y) >= 3.0f ||| std::abs(cx - s.x) >= 3.0f || std::abs(cy - s.y) >= 3.0f ||| box drag one icon pixel thin counts as big enough
src/core/sysicons/IconThemeOverlay.cpp ||| ini[section].emplace(Trim(trimmed.substr(0, equals)), value); ||| ini[section][Trim(trimmed.substr(0, equals))] = value; ||| theme index: a repeated key's last value wins, not its first
src/core/sysicons/CursorTheme.cpp ||| } else if (c == ';' && !quoted) { ||| } else if (c == ';') { ||| .inf fields: ';' inside quotes ends the line
src/core/io/ByteReader.cpp ||| if (out.size() > maxBytes) { ||| if (out.size() >= maxBytes) { ||| ReadWholeFile refuses a file of exactly the limit
DATA

mapfile -t lines <<<"$FAULTS"
total=${#lines[@]}

declare -A wanted=()
for n in "$@"; do wanted[$n]=1; done

planted_file=""
restore() {
    if [[ -n $planted_file ]]; then
        git -C "$checkout" checkout -- "$planted_file"
        planted_file=""
    fi
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

build_tree() { # log -> 0 ok
    cmake --build "$build" --parallel 2 >"$1" 2>&1
}

# Names of the failing tests in a ctest log, one a line.
failed_tests() {
    sed -n '/The following tests FAILED:/,$p' "$1" |
        sed -nE 's/^[[:space:]]*[0-9]+ - (.+) \([^)]*\)[[:space:]]*$/\1/p'
}

run_suite() { # log
    ctest --test-dir "$build" --parallel 2 --timeout "$timeout" >"$1" 2>&1
}

# Refuse to start on a tree whose faulted files are already changed: the
# revert would throw that work away.
for line in "${lines[@]}"; do
    f=${line%% ||| *}
    if ! git -C "$checkout" diff --quiet -- "$f"; then
        echo "$f has uncommitted changes in $checkout; refusing" >&2
        exit 2
    fi
done

baseline_failures=""
if [[ ${SKIP_BASELINE:-0} != 1 ]]; then
    echo "== baseline build and suite" >&2
    if ! build_tree "$logdir/baseline-build.log"; then
        echo "clean tree does not build; see $logdir/baseline-build.log" >&2
        exit 2
    fi
    run_suite "$logdir/baseline-ctest.log"
    baseline_failures=$(failed_tests "$logdir/baseline-ctest.log")
    if [[ -n $baseline_failures ]]; then
        echo "already failing on the clean tree (ignored below): $(echo $baseline_failures)" >&2
    fi
fi

results=()
caught=0
ran=0
for i in "${!lines[@]}"; do
    n=$((i + 1))
    [[ ${#wanted[@]} -gt 0 && -z ${wanted[$n]:-} ]] && continue
    IFS=$'\x1f' read -r file old new desc < <(
        $py -c 'import sys; print("\x1f".join(p.strip() for p in sys.argv[1].split(" ||| ")))' "${lines[$i]}")
    path=$checkout/$file
    # Apply with an exact, unique replacement; report the line it is on.
    lineno=$(OLD=$old NEW=$new $py - "$path" <<'PY'
import os, sys
path = sys.argv[1]
old, new = os.environ["OLD"], os.environ["NEW"]
text = open(path, encoding="utf-8").read()
count = text.count(old)
if count != 1:
    sys.stderr.write(f"{path}: expected the text exactly once, found {count}: {old!r}\n")
    sys.exit(1)
at = text.index(old)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
print(text.count("\n", 0, at) + 1)
PY
    ) || { echo "fault $n: text not found exactly once; stopping" >&2; exit 3; }
    planted_file=$file
    ran=$((ran + 1))
    echo "== fault $n: $file:$lineno $desc" >&2

    status="" tests=""
    if ! build_tree "$logdir/fault-$n-build.log"; then
        broken=$(sed -nE 's/^FAILED: (.*)$/\1/p' "$logdir/fault-$n-build.log" | head -3)
        if grep -q 'tests/' <<<"$broken"; then
            status="CAUGHT"
            tests="build: $(grep -o '[^ ]*tests/[^ ]*' <<<"$broken" | head -3 | tr '\n' ' ')"
        else
            # The fault itself does not build: the list needs fixing, not the tests.
            status="INVALID"
            tests="does not compile: $(echo $broken | cut -c1-80)"
        fi
    else
        run_suite "$logdir/fault-$n-ctest.log"
        failing=$(failed_tests "$logdir/fault-$n-ctest.log")
        if [[ -n $baseline_failures ]]; then
            failing=$(grep -vxF -f <(printf '%s\n' "$baseline_failures") <<<"$failing" || true)
        fi
        if [[ -n $failing ]]; then
            status="CAUGHT"
            count=$(wc -l <<<"$failing")
            tests=$(head -3 <<<"$failing" | paste -sd, -)
            ((count > 3)) && tests="$tests (+$((count - 3)) more)"
        else
            status="MISSED"
        fi
    fi
    [[ $status == CAUGHT ]] && caught=$((caught + 1))
    echo "   -> $status $tests" >&2
    results+=("$n"$'\t'"$file:$lineno"$'\t'"$desc"$'\t'"$status"$'\t'"$tests")
    restore
done

# Leave the build matching the clean tree again.
build_tree "$logdir/final-build.log" || echo "warning: rebuild of the clean tree failed" >&2

{
    printf '%-3s | %-42s | %-82s | %-7s | %s\n' "#" "file:line" "fault" "result" "failing tests"
    for r in "${results[@]}"; do
        IFS=$'\t' read -r n loc desc status tests <<<"$r"
        printf '%-3s | %-42s | %-82s | %-7s | %s\n' "$n" "${loc#src/core/}" "$desc" "$status" "$tests"
    done
    echo
    echo "caught $caught of $ran"
    if [[ -n $baseline_failures ]]; then
        echo "(failing on the clean tree too, not counted: $(echo $baseline_failures))"
    fi
}
