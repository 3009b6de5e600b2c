#!/usr/bin/env bash
# Starts the real program a second time on a real X server (Xvfb) while the first one waits on modal
# windows, or runs a game: without a window manager nothing keeps a dialog above its window, so the
# stacking is the program's own. Also opens the help window, with and without a window manager (openbox),
# and checks that it is centred and wholly on the screen.
# Usage: second_start_x11_test.sh <kestrune executable>
set -euo pipefail
kestrune=$(realpath "$1")

for tool in Xvfb openbox xdotool xwininfo xprop xmessage; do
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
  echo "--- windows, the top one first:"
  xwininfo -root -children 2>/dev/null | grep -E '^ +0x[0-9a-f]+ "' | head -n 20 || true
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $log"; tail -n 20 "$log"; }
  done
  exit 1
}

# Waits (up to about 60 s, for a loaded machine) until the command succeeds.
wait_for() {
  for _ in $(seq 1 600); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

screen_width=1280
screen_height=1024
Xvfb -displayfd 3 -screen 0 ${screen_width}x${screen_height}x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# No desktop program opens the help: the program shows it in its own window.
export PATH=/usr/bin:/bin

program="$work/program"
mkdir -p "$program/ini"
# The fake MAME answers the program's questions at once and "plays" pong in a window of its own until
# that window is closed.
cat >"$program/mame" <<EOF
#!/bin/sh
for argument in "\$@"; do
  if [ "\$argument" = pong ]; then
    xmessage -name fakemame "MAME plays pong" &
    echo \$! >"$work/game.pid"
    wait
    exit 0
  fi
done
exit 0
EOF
chmod 755 "$program/mame"
# One game, so that the list is not empty and no question is asked at start.
printf '[kestruneui]\r\nmamefile=mame\r\nwinleft=150\r\nwintop=100\r\nwinwidth=760\r\nwinheight=540\r\n' \
  >"$program/ini/kestrune.ini"
printf '0|Pong (2 players)|Atari|Sports|1972||Mono|Raster|256x240|Horizontal (0\302\260)|Paddle|60|Good|Good|good|good|good|.37b16|pong.cpp|2|0|00:00:00||pong|0\r\n' \
  >"$program/ini/kestrune.dat"

main=""
start() {
  (cd "$program" && exec "$kestrune") >>"$work/first.log" 2>&1 &
  program_pid=$!
  main=""
  for _ in $(seq 1 600); do
    main=$(xdotool search --onlyvisible --pid "$program_pid" --name '^Kestrune 0' 2>/dev/null | head -n 1 || true)
    [ -n "$main" ] && break
    kill -0 "$program_pid" 2>/dev/null || fail "Kestrune ended at start"
    sleep 0.1
  done
  [ -n "$main" ] || fail "Kestrune showed no window"
  if [ -n "${wm:-}" ]; then
    wait_for sh -c "xprop -id $main _NET_FRAME_EXTENTS | grep -q =" || fail "openbox gave the window no frame"
  fi
}

stop() {
  kill -TERM "$program_pid"
  for _ in $(seq 1 600); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$program_pid" 2>/dev/null; then fail "Kestrune did not end"; fi
  wait "$program_pid" 2>/dev/null || true
}

# Keys to the program's window, with the keyboard focus given to it first.
keys_to() {
  local window=$1
  shift
  if [ -n "${wm:-}" ]; then xdotool windowactivate --sync "$window"; else xdotool windowfocus --sync "$window"; fi
  xdotool key --clearmodifiers "$@"
}

# The first shown window whose title matches, waited for.
window_named() {
  local found=""
  for _ in $(seq 1 600); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$found" ] && break
    sleep 0.1
  done
  [ -n "$found" ] || fail "no window named $1 showed"
  echo "$found"
}

# The shown top-level windows as numbers, the top one first (xwininfo lists them from the top down).
stacking() {
  xwininfo -root -children | awk '/^ +0x[0-9a-f]+ / { print $1 }' | while read -r id; do
    xwininfo -id "$id" | grep -q 'IsViewable' && printf '%d\n' "$id"
  done
}

# Passes when the windows, given from the top down, are shown and stand in that order.
stand_in_order() {
  local order last=0 id line
  order=$(stacking)
  for id in "$@"; do
    line=$(grep -n -x "$id" <<<"$order" | head -n 1 | cut -d: -f1)
    [ -n "$line" ] && [ "$line" -gt "$last" ] || return 1
    last=$line
  done
}

focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

second_start() {
  local status=0
  (cd "$program" && timeout 60 "$kestrune") >"$work/second.log" 2>&1 || status=$?
  [ "$status" = 0 ] || fail "the second start ended with $status: $(cat "$work/second.log")"
}

# --- Without a window manager ---

# Game Details, and over it the message box its Play opens with no MAME to run: the box belongs to the
# main window, yet must stay above the dialog.
chmod 644 "$program/mame"
start
keys_to "$main" ctrl+i
details=$(window_named 'Details$')
keys_to "$details" Tab Tab space
box=$(window_named '^Kestrune$')
# The user has brought the main window to the top (no window manager keeps the dialogs above it).
xdotool windowraise "$main"
wait_for stand_in_order "$main" "$box" || fail "the main window could not be put on top"
second_start
wait_for stand_in_order "$box" "$details" "$main" ||
  fail "a second start did not leave the message box above Game Details above the main window"
wait_for focused "$box" || fail "the message box the program waits on does not have the keys"
keys_to "$box" Escape
keys_to "$details" Escape
stop
echo "without a window manager: a second start keeps a message box above Game Details above the main window"

chmod 755 "$program/mame"
start
keys_to "$main" ctrl+o
options=$(window_named '^MAME Default Options$')
xdotool windowraise "$main"
wait_for stand_in_order "$main" "$options" || fail "the main window could not be put on top"
second_start
grep -q "its window on display $DISPLAY was brought to the front" "$work/second.log" ||
  fail "the second start did not say that the window was brought forward: $(cat "$work/second.log")"
wait_for stand_in_order "$options" "$main" || fail "a second start put the main window over the options dialog"
wait_for focused "$options" || fail "the options dialog does not have the keys after a second start"
keys_to "$options" Escape
wait_for sh -c "! xdotool search --onlyvisible --name '^MAME Default Options$'" || fail "Escape left the options open"
echo "without a window manager: a second start keeps the options dialog above the main window"

# A game runs: the main window is hidden, and a second start must not show it over the game.
rm -f "$work/game.pid"
keys_to "$main" Return
game=$(window_named '^fakemame$')
wait_for sh -c "xwininfo -id $main | grep -q IsUnMapped" || fail "the main window stayed shown while the game runs"
second_start
grep -q "a game is running (pong)" "$work/second.log" ||
  fail "the second start did not say that a game runs: $(cat "$work/second.log")"
grep -q "a game is running (pong)" "$work/first.log" || fail "the first instance did not say that a game runs"
# A window shown by mistake would be mapped by now.
sleep 1
xwininfo -id "$main" | grep -q IsUnMapped || fail "a second start showed the main window over the running game"
stand_in_order "$game" || fail "the game's window went away"
kill "$(cat "$work/game.pid")"
wait_for sh -c "xwininfo -id $main | grep -q IsViewable" || fail "the main window did not come back after the game"
echo "without a window manager: a second start leaves the running game in front"

# Checks that the help window, frame and all, is centred on the screen and wholly on it.
help_is_centred() {
  local help=$1 geometry extents left top width height
  geometry=$(xwininfo -id "$help")
  left=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$geometry")
  top=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$geometry")
  width=$(awk '/^ +Width:/ { print $NF }' <<<"$geometry")
  height=$(awk '/^ +Height:/ { print $NF }' <<<"$geometry")
  # _NET_FRAME_EXTENTS: left, right, top, bottom; none without a window manager.
  extents=$(xprop -id "$help" _NET_FRAME_EXTENTS 2>/dev/null | awk -F' = ' '/=/ { gsub(/,/, ""); print $2 }')
  read -r el er et eb <<<"${extents:-0 0 0 0}"
  local fl=$((left - el)) ft=$((top - et)) fw=$((width + el + er)) fh=$((height + et + eb))
  echo "help window frame: ${fw}x${fh}+${fl}+${ft} on a ${screen_width}x${screen_height} screen"
  ((fl >= 0 && ft >= 0 && fl + fw <= screen_width && ft + fh <= screen_height)) || return 1
  local dx=$((2 * fl + fw - screen_width)) dy=$((2 * ft + fh - screen_height))
  ((dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2))
}

keys_to "$main" F1
help=$(window_named '^Kestrune Help$')
wait_for help_is_centred "$help" || fail "without a window manager the help window is not centred: $(help_is_centred "$help")"
help_is_centred "$help"
stop

# --- With openbox ---
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wm=openbox
wait_for xprop -root _NET_SUPPORTING_WM_CHECK || fail "openbox did not start"
# openbox names itself before it serves requests: a throwaway window that openbox frames says it serves.
wm_serves() {
  local probe framed=1
  xmessage -name kestrune-wm-probe probe >/dev/null 2>&1 &
  probe=$!
  for _ in $(seq 1 50); do
    local id
    id=$(xdotool search --onlyvisible --classname kestrune-wm-probe 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ] && xprop -id "$id" _NET_FRAME_EXTENTS | grep -q =; then
      framed=0
      break
    fi
    sleep 0.1
  done
  kill "$probe" 2>/dev/null
  wait "$probe" 2>/dev/null || true
  return "$framed"
}
served=1
for _ in $(seq 1 12); do wm_serves && { served=0; break; }; done
[ "$served" = 0 ] || fail "openbox frames no window"

start
keys_to "$main" F1
help=$(window_named '^Kestrune Help$')
wait_for sh -c "xprop -id $help _NET_FRAME_EXTENTS | grep -q =" || fail "openbox gave the help window no frame"
wait_for help_is_centred "$help" || fail "with openbox the help window is not centred: $(help_is_centred "$help")"
help_is_centred "$help"
stop
echo "the help window opens centred and wholly on the screen, with and without a window manager"
