#!/usr/bin/env bash
# Pictoform's one entry point for people and CI on Debian 12:
#   ./dev.sh run    install what is missing, build, start the program
#   ./dev.sh test   install what is missing, build, run every test (plain and sanitized
#                   builds), then each fuzz harness for 20 s
#   ./dev.sh fuzz [SECONDS]   run each fuzz harness for SECONDS (60)
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(cmake ninja-build g++ ccache pkg-config libpng-dev libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libxcursor-dev libdeflate-dev libhwy-dev
    qt6-base-dev qt6-svg-dev libgl-dev)
# Programs that read and write icon files, cursor themes as Debian ships them,
# and the Windows resource tools that build test programs; the tests check our
# files against them.
TEST_PACKAGES=(icoutils x11-apps xvfb xauth xdotool xcursor-themes dmz-cursor-theme adwaita-icon-theme python3-pil python3-gi gir1.2-gtk-3.0 gir1.2-gnomedesktop-3.0 bubblewrap appstream desktop-file-utils man-db imagemagick clang-format binutils-mingw-w64-x86-64 binutils-mingw-w64-i686)

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
        sudo apt-get update -qq
        sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    else
        echo "Missing Debian packages. Run this, then try again:" >&2
        echo "  sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
}

build() { # build-dir, extra cmake arguments...
    local dir=$1
    shift
    # The compiler cache takes paths relative to the checkout, so a fresh
    # clone elsewhere on the same machine reuses what an earlier build made.
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    cmake -S . -B "$dir" -G Ninja -DPICTOFORM_WERROR=ON -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}

case "${1:-}" in
run)
    shift
    install_missing "${BUILD_PACKAGES[@]}"
    build build
    exec build/src/desktop/pictoform "$@"
    ;;
test)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    export PICTOFORM_REQUIRE_ORACLES=1
    echo "== format check"
    git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'fuzz/*.cpp' |
        xargs clang-format --dry-run --Werror
    echo "== plain build"
    build build
    ctest --test-dir build --output-on-failure --parallel "$(nproc)"
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
    # GCC's flow warnings misfire on instrumented code, so only the plain
    # build treats warnings as errors.
    build build-sanitize -DPICTOFORM_SANITIZE=ON -DPICTOFORM_BUILD_BENCH=OFF -DPICTOFORM_WERROR=OFF
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build-sanitize --output-on-failure --parallel "$(nproc)"
    echo "== fuzzing, 20 s a reader"
    install_missing clang libclang-rt-14-dev
    fuzz/run.sh 20
    ;;
fuzz)
    install_missing "${BUILD_PACKAGES[@]}" clang libclang-rt-14-dev
    exec fuzz/run.sh "${2:-60}"
    ;;
*)
    echo "usage: ./dev.sh run [ARGS...] | ./dev.sh test | ./dev.sh fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
