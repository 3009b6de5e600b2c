#!/usr/bin/env bash
# Starts the real program on a real X server (Xvfb), with and without a window manager (openbox), and
# closes it as the user does (the window manager's close): the main window must reopen exactly where
# it was left, start after start, and also after full screen on and off (Shift+F11 twice).
# A second start on another display of the same user, where the running window cannot be seen, says
# on stderr where that window is.
# Usage: window_place_x11_test.sh <kestrune executable>
set -euo pipefail
kestrune=$(realpath "$1")

source "$(dirname "$0")/x11_test_lib.sh"
x11_need Xvfb xdpyinfo openbox xdotool wmctrl xprop xmessage

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
  echo "--- windows:"
  xwininfo -root -tree 2>/dev/null | grep -E '^ +0x[0-9a-f]+ "' | head -n 20 || true
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $log"; tail -n 20 "$log"; }
  done
  exit 1
}

x11_start_display screen 1280x1024
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

program="$work/program"
mkdir -p "$program/ini"
printf '#!/bin/sh\nexit 0\n' >"$program/mame"
chmod 755 "$program/mame"
# One game, so that the list is not empty and no question is asked at start.
printf '[kestruneui]\r\nmamefile=mame\r\nwinleft=150\r\nwintop=100\r\nwinwidth=760\r\nwinheight=540\r\n' \
  >"$program/ini/kestrune.ini"
printf '0|Pong (2 players)|Atari|Sports|1972||Mono|Raster|256x240|Horizontal (0\302\260)|Paddle|60|Good|Good|good|good|good|.37b16|pong.cpp|2|0|00:00:00||pong|0\r\n' \
  >"$program/ini/kestrune.dat"

key() { grep -a "^$1=" "$program/ini/kestrune.ini" | head -n 1 | cut -d= -f2 | tr -d '\r'; }
place() { echo "$(key winleft),$(key wintop) $(key winwidth)x$(key winheight) max=$(key winmax)"; }

window=""
wm=""
start() {
  (cd "$program" && exec "$kestrune") >>"$work/kestrune.log" 2>&1 &
  program_pid=$!
  window=""
  local until=$((SECONDS + x11_cap)) status
  while ((SECONDS < until)); do
    window=$(xdotool search --onlyvisible --pid "$program_pid" --name '^Kestrune' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$program_pid" 2>/dev/null || { wait "$program_pid" && status=0 || status=$?; fail "program: Kestrune ended at start with status $status"; }
    sleep 0.1
  done
  [ -n "$window" ] || fail "program: Kestrune showed no window"
  # Under a window manager, the frame is in place once it has told the window its extents.
  if [ -n "$wm" ]; then
    wait_for sh -c "xprop -id $window _NET_FRAME_EXTENTS | grep -q =" || fail "window manager: openbox gave the window no frame"
  fi
}

close_window() {
  if [ "$1" = wm ]; then
    wmctrl -i -c "$window"
  else
    # Without a window manager nobody sends the close: the program's own request to end saves the same.
    kill -TERM "$program_pid"
  fi
  wait_for sh -c "! kill -0 $program_pid" || fail "program: Kestrune did not end after the close"
  wait "$program_pid" 2>/dev/null || true
}

# Full screen shows the window without its frame (its Motif hints ask for no decorations: the third
# value is 0), and under a window manager fills the screen.
frameless() { xprop -id "$window" _MOTIF_WM_HINTS 2>/dev/null | awk -F'[=,]' '/=/ { found = $4 ~ /^ *0x0 *$/ } END { exit !found }'; }
framed() { ! frameless; }
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]; }
fills_screen() { xwininfo -id "$window" | grep -q 'Width: 1280'; }
full_screen_twice() {
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers shift+F11
  wait_for frameless || fail "Shift+F11 did not switch to full screen"
  if [ -n "$wm" ]; then wait_for fills_screen || fail "full screen did not fill the screen"; fi
  # The switch leaves the keys with the window: the next Shift+F11 needs no click.
  wait_for has_focus || fail "the window lost the keyboard focus in full screen"
  xdotool key --clearmodifiers shift+F11
  wait_for framed || fail "Shift+F11 again did not leave full screen"
  wait_for has_focus || fail "the window lost the keyboard focus after full screen"
  wait_for sh -c "! xwininfo -id $window | grep -q 'Width: 1280'" || fail "leaving full screen kept the screen's size"
}

run_starts() {
  local how=$1 expected=$2
  for round in 1 2 3; do
    start
    close_window "$how"
    [ "$(place)" = "$expected" ] || fail "$how: start $round saved $(place), not $expected"
  done
  start
  full_screen_twice
  close_window "$how"
  [ "$(place)" = "$expected" ] || fail "$how: full screen on and off saved $(place), not $expected"
}

expected="150,100 760x540 max=0"
run_starts term "$expected"
echo "without a window manager: three starts and a full-screen round trip keep $expected"

x11_start_openbox
wm=openbox
run_starts wm "$expected"
echo "with openbox: three starts and a full-screen round trip keep $expected"

# A second display of the same user: the start there ends at once and names the display of the window.
first=$DISPLAY
x11_start_display other 800x600
other=$DISPLAY
export DISPLAY=$first
start
status=0
(cd "$program" && DISPLAY=$other timeout 60 "$kestrune") >"$work/second.log" 2>&1 || status=$?
[ "$status" = 0 ] || fail "the second start on $other ended with $status"
grep -q "Kestrune already runs; its window is on display $DISPLAY, not on this display $other" "$work/second.log" ||
  fail "the second start on $other did not say where the window is: $(cat "$work/second.log")"
close_window wm
echo "a second start on display $other says that the window is on display $DISPLAY"
