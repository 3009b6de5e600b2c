#!/usr/bin/env bash
# The program's message boxes on a real X server (Xvfb), whose fonts differ from offscreen's: without a
# window manager, under openbox, and on a small screen, every box opened as the user opens it shows
# each line of its text whole and lies on the screen (the MessageBoxOnScreen tests of mainwindow_tests).
# KESTRUNE_BOX_SHOTS=<folder> keeps a picture (xwd) of every box.
# Usage: message_box_x11_test.sh <mainwindow_tests executable> <test data folder>
set -euo pipefail
tests=$(realpath "$1")
data=$(realpath "$2")

for tool in Xvfb openbox xprop xmessage xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $log"; tail -n 40 "$log"; }
  done
  exit 1
}

wait_for() {
  for _ in $(seq 1 600); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

export QT_QPA_PLATFORM=xcb KESTRUNE_TEST_DATA="$data"
unset WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A display of our own at this size: Xvfb picks a free number and writes it to the file.
start_display() {
  local name=$1 size=$2
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/$name.display" >"$work/$name-xvfb.log" 2>&1 &
  pids+=($!)
  wait_for test -s "$work/$name.display" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$work/$name.display")"
}

run_boxes() {
  local name=$1
  if ! (cd "$work" && "$tests" --gtest_filter='Boxes/MessageBoxOnScreen.*') >"$work/$name.log" 2>&1; then
    fail "$name: a message box did not show its text whole on the screen"
  fi
  echo "$name: $(grep -c '^\[       OK \]' "$work/$name.log") message boxes show their text whole on the screen"
}

start_display plain 1280x1024
run_boxes without-window-manager

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for xprop -root _NET_SUPPORTING_WM_CHECK || fail "openbox did not start"
# openbox names itself before it serves requests: a throwaway window that it shows says it serves.
wm_serves() {
  local probe shown=1
  xmessage -name kestrune-wm-probe probe >/dev/null 2>&1 &
  probe=$!
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
