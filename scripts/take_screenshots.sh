#!/usr/bin/env bash
# Takes the user guide's screenshots of the main window under Xvfb and puts
# them in docs/. Needs xvfb and xauth (apt-get install xvfb xauth) and a
# build in build/ (./dev.sh run or ./dev.sh test makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target pictoform_screenshots pictoform-cli
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The sample icon: the program's own icon at three sizes.
build/src/cli/pictoform-cli convert data/icons/pictoform-16.png data/icons/pictoform-32.png \
    data/icons/pictoform-48.png -o "$scratch/Pictoform.ico"
# A home of its own, so that no saved layout or recent file shows.
HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch" \
    xvfb-run -a -s "-screen 0 1280x960x24" \
    build/src/desktop/pictoform_screenshots "$scratch/Pictoform.ico" docs
