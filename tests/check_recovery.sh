#!/usr/bin/env bash
# Crash recovery as a user meets it, on a virtual X display: a stroke on an
# icon, then the program killed (SIGKILL); the next start asks "Recover the
# unsaved work from ...?", Recover brings the stroke back and Save writes it
# into the icon; a clean close leaves no copy behind, and the killed run's
# history folder is gone after the next start. Run by CTest.
# Usage: check_recovery.sh PICTOFORM PICTOFORM-CLI [PYTHON-WITH-PIL]
set -euo pipefail
app=$1
cli=$2
python=${3:-python3}
if [ -z "${DISPLAY:-}" ]; then
    for tool in xvfb-run xauth; do
        command -v "$tool" >/dev/null || { echo "needs $tool (packages xvfb, xauth)"; exit 1; }
    done
    # The display server's own complaints go to the test's output.
    # -noreset: the server would otherwise reset when the killed program,
    # its last client, goes, and the restarted program could find no display.
    exec xvfb-run -a -e /dev/stderr -s "-screen 0 1280x960x24 -noreset" bash "$0" "$@"
fi
echo "display $DISPLAY"
command -v xdotool >/dev/null || { echo "needs xdotool"; exit 1; }
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config
unset XDG_RUNTIME_DIR
mkdir -p "$HOME"
copies=$XDG_STATE_HOME/pictoform/recovery
history=$(dirname "$app")/History
fail() {
    echo "FAIL: $*"
    exit 1
}
folders() { { find "$history" -mindepth 1 -maxdepth 1 -type d -printf '%f\n' 2>/dev/null || true; } | sort; }
# Waits up to 20 s for a command to succeed; the command is run anew each
# time, so anything that must be looked at again is a function or bash -c.
wait_for() {
    for _ in $(seq 80); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.25
    done
    return 1
}

"$python" - "$work/blue.png" <<'PY'
import sys
from PIL import Image
Image.new("RGBA", (32, 32), (48, 128, 255, 255)).save(sys.argv[1])
PY
"$cli" convert "$work/blue.png" -o "$work/blue.ico" >/dev/null
orange() { # how many pixels of the icon are no longer blue
    "$cli" convert "$work/blue.ico" -o "$work/out.png" >/dev/null
    "$python" -c '
import sys
from PIL import Image
im = Image.open(sys.argv[1]).convert("RGBA")
print(sum(1 for p in im.getdata() if p != (48, 128, 255, 255)))' "$work/out-0-32x32.png"
}

before=$(folders)
"$app" "$work/blue.ico" &
pid=$!
wait_for xdotool search --onlyvisible --name "blue.ico" || fail "the window did not open"
sleep 1
run=$(comm -13 <(echo "$before") <(folders))
[ -n "$run" ] || fail "no history folder for the run"
# The pencil, then a stroke across the canvas.
xdotool mousemove 1144 101 click 1
sleep 0.5
xdotool mousemove 450 400 mousedown 1
for i in $(seq 1 30); do
    xdotool mousemove $((450 + i * 6)) $((400 + (i % 10) * 9))
    sleep 0.02
done
xdotool mouseup 1
wait_for bash -c "ls '$copies'/*.pfi" || fail "no recovery copy after the changes settled"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=
[ -d "$history/$run" ] || fail "the killed run's history folder was already gone"

"$app" &
pid=$!
# The question is the one window called just "Pictoform" (the main window's
# title names its document); waiting for it, not for a fixed time, keeps a
# loaded machine from typing the answer before the question is there.
wait_for xdotool search --onlyvisible --name "^Pictoform$" || fail "no recovery question"
[ ! -d "$history/$run" ] || fail "the killed run's history folder is still there"
[ "$(orange)" = 0 ] || fail "the icon changed before anything was saved"
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "^Pictoform$" | head -1)"
xdotool key Return # Recover, the question's default
# Without a window manager nothing gives the window the keyboard back.
wait_for xdotool search --name "blue.ico" || fail "the recovered work does not name its icon"
xdotool windowfocus --sync "$(xdotool search --name "blue.ico" | head -1)"
xdotool key ctrl+s
stroke_saved() { [ "$(orange)" -gt 0 ]; }
wait_for stroke_saved || fail "the recovered stroke was not saved into the icon"
echo "recovered: $(orange) pixels of the stroke"
# Saved, so a clean close leaves no copy and no lock.
xdotool key alt+f
sleep 0.3
xdotool key x
wait_for bash -c "! kill -0 $pid" || fail "the program did not close"
pid=
leftover=$(ls -A "$copies")
[ -z "$leftover" ] || fail "a clean close left $leftover"
echo "ok"
