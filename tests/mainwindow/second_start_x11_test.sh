#!/usr/bin/env bash
# The real program on a real X server (Xvfb). Without a window manager nothing keeps a dialog above its
# window: a second start must leave the modal windows the first one waits on above its main window, in
# the order they opened, and a running game in front. The help window opens centred and wholly on the
# screen, with and without a window manager (openbox).
# Usage: second_start_x11_test.sh <kestrune executable>
set -euo pipefail
kestrune=$(realpath "$1")
source "$(dirname "$0")/x11_test_lib.sh"
x11_need Xvfb xdpyinfo openbox xdotool xwininfo xprop xmessage
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*"
  xwininfo -root -children 2>/dev/null | grep -E '^ +0x[0-9a-f]+ "' | head -n 20 || true  # the top one first
  x11_print_logs
  exit 1
}

x11_start_program_session
# With no desktop program for the help on PATH, the program shows it itself.
export PATH=/usr/bin:/bin
mkdir -p "$program/ini"
# The fake MAME answers the program's questions at once and plays pong in a window until it is closed.
printf '#!/bin/sh\nfor a in "$@"; do [ "$a" = pong ] && { xmessage -name fakemame pong & echo $! >%s; wait; }; done\nexit 0\n' \
  "$work/game.pid" >"$program/mame"
printf '[kestruneui]\r\nmamefile=mame\r\nwinleft=150\r\nwintop=100\r\nwinwidth=760\r\nwinheight=540\r\n' >"$program/ini/kestrune.ini"
printf '0|Pong (2 players)|Atari|Sports|1972||Mono|Raster|256x240|Horizontal (0\302\260)|Paddle|60|Good|Good|good|good|good|.37b16|pong.cpp|2|0|00:00:00||pong|0\r\n' \
  >"$program/ini/kestrune.dat"

# The first shown window whose title matches, waited for.
window_named() {
  wait_for xdotool search --onlyvisible --name "$1" || fail "program: no window named $1 showed"
  xdotool search --onlyvisible --name "$1" | head -n 1
}
start() {
  (cd "$program" && exec "$kestrune") >>"$work/first.log" 2>&1 &
  program_pid=$!
  main=$(window_named '^Kestrune 0')
  [ -z "${wm:-}" ] || wait_for sh -c "xprop -id $main _NET_FRAME_EXTENTS | grep -q =" || fail "window manager: openbox gave no frame"
}
stop() { kill -TERM "$program_pid"; wait "$program_pid" || true; }
keys_to() {
  xdotool windowfocus --sync "$1"
  xdotool key --clearmodifiers "${@:2}"
}
# Passes when the windows, given from the top down, are shown and stand in that order.
stand_in_order() {
  local order last=0 id line
  order=$(xwininfo -root -children | awk '/^ +0x/ { print $1 }' | while read -r id; do
    xwininfo -id "$id" | grep -q IsViewable && printf '%d\n' "$id"; done)
  for id in "$@"; do
    line=$(grep -n -x "$id" <<<"$order" | cut -d: -f1)
    [ -n "$line" ] && [ "$line" -gt "$last" ] || return 1
    last=$line
  done
}
focused() { [ "$(xdotool getwindowfocus)" = "$1" ]; }
second_start() {
  (cd "$program" && timeout 60 "$kestrune") >"$work/second.log" 2>&1 || fail "the second start failed"
}
# The user has brought the main window to the top, over the windows in $@; a second start follows.
raise_main_and_start_again() {
  xdotool windowraise "$main"
  wait_for stand_in_order "$main" "$@" || fail "the main window could not be put on top"
  second_start
}

# Game Details, and over it the box of its Play with no MAME to run, which belongs to the main window.
start
keys_to "$main" ctrl+i
details=$(window_named 'Details$')
keys_to "$details" Tab Tab space
box=$(window_named '^Kestrune$')
raise_main_and_start_again "$box" "$details"
wait_for stand_in_order "$box" "$details" "$main" || fail "the box is not above Game Details above the main window"
wait_for focused "$box" || fail "the message box the program waits on does not have the keys"
keys_to "$box" Escape
keys_to "$details" Escape
stop

chmod 755 "$program/mame"
start
keys_to "$main" ctrl+o
options=$(window_named '^MAME Default Options$')
raise_main_and_start_again "$options"
grep -q "its window on display $DISPLAY was brought to the front" "$work/second.log" || fail "not said"
wait_for stand_in_order "$options" "$main" || fail "a second start put the main window over the options dialog"
wait_for focused "$options" || fail "the options dialog does not have the keys after a second start"
keys_to "$options" Escape
echo "without a window manager a second start keeps the modal windows above the main window"

keys_to "$main" Return
game=$(window_named '^fakemame$')
wait_for sh -c "xwininfo -id $main | grep -q IsUnMapped" || fail "the main window stayed shown while the game runs"
second_start
grep -q "a game is running (pong)" "$work/second.log" || fail "the second start did not say that a game runs"
grep -q "a game is running (pong)" "$work/first.log" || fail "the first instance did not say that a game runs"
sleep 1  # a window shown by mistake would be mapped by now
xwininfo -id "$main" | grep -q IsUnMapped || fail "a second start showed the main window over the running game"
kill "$(cat "$work/game.pid")"
wait_for sh -c "xwininfo -id $main | grep -q IsViewable" || fail "the main window did not come back after the game"
echo "without a window manager a second start leaves the running game in front"

# The help window's frame (_NET_FRAME_EXTENTS: left, right, top, bottom) centred and on the screen.
help_is_centred() {
  local x y w h el er et eb
  read -r x y w h < <(xwininfo -id "$help" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ +Width/ { w = $NF } /^ +Height/ { h = $NF } END { print x, y, w, h }')
  read -r el er et eb < <(xprop -id "$help" _NET_FRAME_EXTENTS | awk -F' = ' '/=/ { gsub(/,/, ""); print $2 } END { print "0 0 0 0" }')
  x=$((x - el)) y=$((y - et)) w=$((w + el + er)) h=$((h + et + eb))
  echo "the help window's frame is ${w}x${h}+${x}+${y} on a 1280x1024 screen"
  ((x >= 0 && y >= 0 && x + w <= 1280 && y + h <= 1024 && (2 * x + w - 1280) ** 2 <= 4 && (2 * y + h - 1024) ** 2 <= 4))
}
show_help() {
  keys_to "$main" F1
  help=$(window_named '^Kestrune Help$')
  wait_for help_is_centred || fail "the help window is not centred: $(help_is_centred)"
  help_is_centred
  stop
}
show_help

x11_start_openbox
wm=openbox
start
show_help
