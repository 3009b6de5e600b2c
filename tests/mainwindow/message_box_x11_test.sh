#!/usr/bin/env bash
# The program's message boxes on a real X server (Xvfb), whose fonts differ from offscreen's: without a
# window manager, under openbox, and on a small screen, every box opened from its command shows each
# line of its text whole and lies on the screen (the MessageBoxOnScreen tests of mainwindow_tests).
# Usage: message_box_x11_test.sh <mainwindow_tests executable> <test data folder>
set -euo pipefail
tests=$(realpath "$1")
export KESTRUNE_TEST_DATA=$(realpath "$2") QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

for tool in Xvfb openbox xprop xmessage xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"; exit 77; }
done

work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

fail() { echo "FAILED: $*"; tail -n 40 "$work"/*.log; exit 1; }
wait_for() {
  for _ in $(seq 1 600); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# A display of our own: Xvfb picks a free number and writes it to fd 3.
start_display() {
  Xvfb -displayfd 3 -screen 0 "$2x24" -nolisten tcp 3>"$work/$1.display" 2>/dev/null &
  pids+=($!)
  wait_for test -s "$work/$1.display" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$work/$1.display")"
}

run_boxes() {
  (cd "$work" && "$tests" --gtest_filter='Boxes/MessageBoxOnScreen.*') >"$work/$1.log" 2>&1 ||
    fail "$1: a message box did not show its text whole on the screen"
  echo "$1: $(grep -c '^\[       OK \]' "$work/$1.log") message boxes show their text whole on the screen"
}

start_display plain 1280x1024
run_boxes without-window-manager

openbox 2>/dev/null &
pids+=($!)
wait_for xprop -root _NET_SUPPORTING_WM_CHECK || fail "openbox did not start"
# openbox names itself before it serves, and a window mapped in between is never shown: once it shows
# a throwaway window (made again until it does), it frames the boxes too.
wm_serves() {
  xmessage -name kestrune-wm-probe probe 2>/dev/null &
  local probe=$! shown=1
  for _ in $(seq 1 50); do
    xdotool search --onlyvisible --classname kestrune-wm-probe >/dev/null 2>&1 && { shown=0; break; }
    sleep 0.1
  done
  kill "$probe" 2>/dev/null
  wait "$probe" 2>/dev/null || true
  return "$shown"
}
served=1
for _ in $(seq 1 12); do wm_serves && { served=0; break; }; done
[ "$served" = 0 ] || fail "openbox shows no window"
KESTRUNE_TEST_FRAMED=1 run_boxes openbox

start_display small 640x480
run_boxes small-screen-without-window-manager
