#!/usr/bin/env bash
# The program's message boxes on a real X server (Xvfb), whose fonts differ from offscreen's: without a
# window manager, under openbox, and on a small screen, every box opened from its command shows each
# line of its text whole and lies on the screen (the MessageBoxOnScreen tests of mainwindow_tests).
# Usage: message_box_x11_test.sh <mainwindow_tests executable> <test data folder>
set -euo pipefail
tests=$(realpath "$1")
export KESTRUNE_TEST_DATA=$(realpath "$2") QT_QPA_PLATFORM=xcb
source "$(dirname "$0")/x11_test_lib.sh"
x11_need Xvfb xdpyinfo openbox xprop xmessage xdotool

work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

fail() { echo "FAILED: $*"; tail -n 40 "$work"/*.log; exit 1; }

run_boxes() {
  (cd "$work" && "$tests" --gtest_filter='Boxes/MessageBoxOnScreen.*') >"$work/$1.log" 2>&1 ||
    fail "program: $1: a message box did not show its text whole on the screen"
  echo "$1: $(grep -c '^\[       OK \]' "$work/$1.log") message boxes show their text whole on the screen"
}

x11_start_display plain 1280x1024
run_boxes without-window-manager

x11_start_openbox
KESTRUNE_TEST_FRAMED=1 run_boxes openbox

x11_start_display small 640x480
run_boxes small-screen-without-window-manager
