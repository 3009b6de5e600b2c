#!/usr/bin/env bash
# The real program on a real X server (Xvfb) without a window manager, as an arcade cabinet runs it:
# when a dialog or a message box closes, the keyboard goes back to the window the user was in, so a
# shortcut typed next, sent to no window in particular, works.
# Usage: keyboard_return_x11_test.sh <kestrune executable>
set -euo pipefail
kestrune=$(realpath "$1")
source "$(dirname "$0")/x11_test_lib.sh"
x11_need Xvfb xdpyinfo xdotool xprop xwininfo
work=$(mktemp -d)
pids=()
program_pid=""
trap '[ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true; kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
# To stderr: a failure inside $(…) is seen too.
fail() {
  exec >&2
  echo "FAILED: $*"
  echo "keyboard focus: $(xdotool getwindowfocus getwindowname 2>&1 || true)"
  xwininfo -root -children 2>/dev/null | grep -E '^ +0x[0-9a-f]+ "' | head -n 20 || true
  x11_print_logs
  exit 1
}

x11_start_program_session
mkdir -p "$program/ini"
printf '#!/bin/sh\nexit 0\n' >"$program/mame"
chmod 755 "$program/mame"
printf '[kestruneui]\r\nmamefile=mame\r\nwinleft=150\r\nwintop=100\r\nwinwidth=760\r\nwinheight=540\r\n' >"$program/ini/kestrune.ini"
printf '0|Pong (2 players)|Atari|Sports|1972||Mono|Raster|256x240|Horizontal (0\302\260)|Paddle|60|Good|Good|good|good|good|.37b16|pong.cpp|2|0|00:00:00||pong|0\r\n' \
  >"$program/ini/kestrune.dat"

shown() { xdotool search --all --onlyvisible --pid "$program_pid" --name "$1"; }
window_named() {
  wait_for shown "$1" || fail "program: no window named $1 showed"
  shown "$1" | head -n 1
}
gone() { wait_for sh -c "! xdotool search --all --onlyvisible --pid $program_pid --name '$1'" || fail "program: $1 stayed open"; }
has_keys() { [ "$(xdotool getwindowfocus)" = "$1" ]; }
# Keys typed at whichever window has the keyboard, as the user types them.
type_keys() { xdotool key --clearmodifiers "$@"; }

start() {
  (cd "$program" && exec "$kestrune") >>"$work/kestrune.log" 2>&1 &
  program_pid=$!
  main=$(window_named '^Kestrune 0')
  xdotool windowfocus --sync "$main"
  wait_for has_keys "$main" || fail "program: the main window did not take the keyboard"
}
stop() {
  kill -TERM "$program_pid"
  wait "$program_pid" || fail "program: ended with status $? when asked to end"
  program_pid=""
}

start

# Each shortcut opens its dialog; Escape closes it (Preferences, which only OK leaves: Return); the
# keys are back with the main window, and the next shortcut, typed at no window in particular, opens the
# next dialog.
for item in "ctrl+o|^MAME Default Options$|Escape" "ctrl+i|Details$|Escape" "ctrl+shift+F11|^Preferences$|Return" \
  "ctrl+alt+o|Pong|Escape" "ctrl+o|^MAME Default Options$|Escape"; do
  IFS="|" read -r keys name close <<<"$item"
  type_keys "$keys"
  dialog=$(window_named "$name")
  wait_for has_keys "$dialog" || fail "program: $name did not take the keyboard"
  type_keys "$close"
  gone "$name"
  wait_for has_keys "$main" || fail "program: the keyboard did not come back to the main window after $name"
done
echo "after each dialog closed with Escape the next shortcut opened its dialog"

stop

# Message boxes, with a MAME that cannot be run: one over the main window (playing the game), then one
# over a dialog (the Play of Game Details).
chmod 644 "$program/mame"
start
type_keys Return
box=$(window_named '^Kestrune$')
wait_for has_keys "$box" || fail "program: the message box did not take the keyboard"
type_keys Escape
gone '^Kestrune$'
wait_for has_keys "$main" || fail "program: the keyboard did not come back to the main window after the message box"
type_keys ctrl+i
details=$(window_named 'Details$')
wait_for has_keys "$details" || fail "program: Game Details did not take the keyboard"
type_keys Tab Tab space
box=$(window_named '^Kestrune$')
wait_for has_keys "$box" || fail "program: the message box over Game Details did not take the keyboard"
type_keys Escape
gone '^Kestrune$'
wait_for has_keys "$details" || fail "program: the keyboard did not come back to Game Details after its message box"
type_keys Escape
gone 'Details$'
wait_for has_keys "$main" || fail "program: the keyboard did not come back to the main window after Game Details"
type_keys ctrl+i
details=$(window_named 'Details$')
type_keys Escape
gone 'Details$'
stop
echo "after a message box closed, over the main window and over a dialog, the keys went on working"

# A question asked before any window had the keys (an icon's password at the first paint): once it is
# answered, the keys go to the main window.
if command -v zip >/dev/null; then
  mkdir -p "$program/icons"
  printf 'icon' >"$work/pong.ico"
  (cd "$work" && zip -q -P sesame "$program/icons/icons.zip" pong.ico)
  (cd "$program" && exec "$kestrune") >>"$work/kestrune.log" 2>&1 &
  program_pid=$!
  question=$(window_named '^Password')
  wait_for has_keys "$question" || fail "program: the password question did not take the keyboard"
  type_keys Escape
  gone '^Password'
  main=$(window_named '^Kestrune 0')
  wait_for has_keys "$main" || fail "program: the keyboard did not come back to the main window after the password"
  stop
  echo "after the first paint's password question the keys went to the main window"
fi
