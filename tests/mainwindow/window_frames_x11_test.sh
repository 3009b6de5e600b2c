#!/usr/bin/env bash
# Starts the real program on a real X server (Xvfb), without and with a window manager (openbox), and
# looks at where its small windows open and what their frames offer:
# - the setup wizard and the three question windows of the Game menu (Delete Rom File and the two
#   "Warning !" windows) open in the middle of the screen; the Bad ROMs window in the middle of the
#   main window;
# - the setup wizard, the Bad ROMs window and Delete Rom File offer no minimise or maximise button;
# - full screen (Shift+F11, and a start in full screen) fills the screen, also without a window manager.
# With KESTRUNE_X11_SHOTS=<folder> it leaves an xwd picture of each window there.
# Usage: window_frames_x11_test.sh <kestrune executable>
set -euo pipefail
kestrune=$(realpath "$1")
data=$(realpath "$(dirname "$0")/../data")

for tool in Xvfb openbox xdotool xprop xwininfo xmessage; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
pids=()
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED${wm:+ with $wm}: $*"
  xwininfo -root -tree 2>/dev/null | grep -E '^ +0x[0-9a-f]+ "' | head -n 20 || true
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

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
screen_centre="640 512"

program="$work/program"
mkdir -p "$program"
cp "$data/romscan/listxml/catalogue.xml" "$program/list.xml"
# MAME lists its games once the test has ticked what it wants to tick during the scan.
cat >"$program/mame" <<'EOF'
#!/bin/sh
if [ "$1" = -listxml ]; then
  : >listing
  while [ ! -e go ]; do sleep 0.1; done
  cat list.xml
fi
exit 0
EOF
chmod 755 "$program/mame"

wm=""
start() {
  (cd "$program" && exec "$kestrune") >>"$work/kestrune.log" 2>&1 &
  program_pid=$!
}
stop() {
  kill -TERM "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=""
}
# The visible window of the program whose name matches; under a window manager, once it is framed.
window_named() {
  local found=""
  for _ in $(seq 1 600); do
    found=$(xdotool search --all --onlyvisible --pid "$program_pid" --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$found" ] && break
    kill -0 "$program_pid" 2>/dev/null || fail "Kestrune ended while $1 was awaited"
    sleep 0.1
  done
  [ -n "$found" ] || fail "no window $1"
  if [ -n "$wm" ]; then
    wait_for sh -c "xprop -id $found _NET_FRAME_EXTENTS | grep -q =" || fail "openbox gave $1 no frame"
  fi
  echo "$found"
}
shot() {
  [ -n "${KESTRUNE_X11_SHOTS:-}" ] || return 0
  mkdir -p "$KESTRUNE_X11_SHOTS"
  xwd -silent -root -out "$KESTRUNE_X11_SHOTS/${wm:-nowm}-$1-screen.xwd" || true
  xwd -silent -id "$2" -out "$KESTRUNE_X11_SHOTS/${wm:-nowm}-$1.xwd" || true
}

# "x y width height" of the window's inside, and of its frame (the same without a window manager).
inside() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
  /^ +Width/ {w=$NF} /^ +Height/ {h=$NF} END {print x, y, w, h}'; }
frame() {
  local x y w h l r t b
  read -r x y w h <<<"$(inside "$1")"
  read -r l r t b <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ',')"
  echo $((x - ${l:-0})) $((y - ${t:-0})) $((w + ${l:-0} + ${r:-0})) $((h + ${t:-0} + ${b:-0}))
}
# Whether the centre of a rectangle lies within $3 pixels of the point "cx cy".
centred_at() {
  local x y w h cx cy
  read -r x y w h <<<"$1"
  read -r cx cy <<<"$2"
  [ $(((2 * x + w - 2 * cx) ** 2)) -le $((4 * $3 * $3)) ] && [ $(((2 * y + h - 2 * cy) ** 2)) -le $((4 * $3 * $3)) ]
}
centre_of() { local x y w h; read -r x y w h <<<"$1"; echo $((x + w / 2)) $((y + h / 2)); }
# Centred: the frame, caption and all (the program takes a frame of the window manager's to be as
# wide as its main window's: a few pixels may differ), or, where no frame was known when the window was
# placed, its inside.
check_centred() {
  local window=$1 name=$2 on=$3 point=$4
  centred_at "$(frame "$window")" "$point" 3 || centred_at "$(inside "$window")" "$point" 1 ||
    fail "$name is not centred on $on ($point): inside $(inside "$window"), frame $(frame "$window")"
}
# The window manager offers neither minimising nor maximising; without one, the Motif hints that every
# manager reads ask for neither (their functions without MWM_FUNC_ALL, MINIMIZE and MAXIMIZE).
check_no_min_max() {
  local window=$1 name=$2 actions hints flags functions
  if [ -n "$wm" ]; then
    actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
    case "$actions" in *MINIMIZE* | *MAXIMIZE*) fail "$name can be minimised or maximised: $actions" ;; esac
  else
    hints=$(xprop -id "$window" _MOTIF_WM_HINTS)
    read -r flags functions _ <<<"$(echo "$hints" | sed -n "s/.*= *//p" | tr -d ",")"
    [ -n "${functions:-}" ] && (((flags & 1) && (functions & 0x19) == 0)) ||
      fail "$name asks for a minimise or maximise button: $hints"
  fi
}
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# The first start: the wizard, a scan with "Show bad roms after initializing" ticked, the Bad ROMs window.
first_run() {
  rm -rf "$program/ini" "$program/go" "$program/listing" "$program"/*.ini "$program/roms.dat"
  start
  local wizard badroms main
  wizard=$(window_named '^Setup - Kestrune')
  shot wizard "$wizard"
  check_centred "$wizard" "the setup wizard" "the screen" "$screen_centre"
  check_no_min_max "$wizard" "the setup wizard"
  click "$wizard" 234 269 # Next
  wait_for test -e "$program/listing" || fail "Next did not start MAME"
  click "$wizard" 20 246 # Show bad roms after initializing
  : >"$program/go"
  badroms=$(window_named '^Bad Roms$')
  main=$(window_named '^Kestrune')
  shot badroms "$badroms"
  check_centred "$badroms" "the Bad ROMs window" "the main window" "$(centre_of "$(inside "$main")")"
  check_no_min_max "$badroms" "the Bad ROMs window"
  click "$badroms" 248 248 # OK
  wait_for sh -c "! xdotool search --all --onlyvisible --pid $program_pid --name '^Bad Roms$'" || fail "OK left Bad ROMs open"
  stop
}

# One game with an option file and a recording, so that every question of the Game menu can be asked.
settings() {
  rm -rf "$program/ini" "$program/inp"
  mkdir -p "$program/ini" "$program/inp"
  printf '[kestruneui]\r\nmamefile=mame\r\nwinleft=150\r\nwintop=100\r\nwinwidth=760\r\nwinheight=540\r\nwinmax=%s\r\n' \
    "$1" >"$program/ini/kestrune.ini"
  printf '0|Pong (2 players)|Atari|Sports|1972||Mono|Raster|256x240|Horizontal (0\302\260)|Paddle|60|Good|Good|good|good|good|.37b16|pong.cpp|2|0|00:00:00||pong|0\r\n' \
    >"$program/ini/kestrune.dat"
  : >"$program/ini/pong.ini"
  : >"$program/inp/pong.inp"
}

# The list's pop-up menu, opened from the keyboard on the selected game: its n-th item.
popup_item() {
  local main=$1 downs=$2
  click "$main" 60 98 # the game's row
  xdotool key --clearmodifiers Menu
  sleep 0.5
  for _ in $(seq 1 "$downs"); do xdotool key --clearmodifiers Down; done
  xdotool key --clearmodifiers Return
}

questions() {
  settings 0
  start
  local main question
  main=$(window_named '^Kestrune')
  # Play, Play and Record, Playback, Game Options, Delete Game .Ini, Delete Recorded Game, Move Rom File To.
  for item in "5|^Warning !$|warning-ini" "6|^Warning !$|warning-inp" "7|^Move pong.zip Rom File$|delete-rom"; do
    IFS='|' read -r downs name picture <<<"$item"
    popup_item "$main" "$downs"
    question=$(window_named "$name")
    shot "$picture" "$question"
    check_centred "$question" "$picture" "the screen" "$screen_centre"
    [ "$picture" = delete-rom ] && check_no_min_max "$question" "Delete Rom File"
    xdotool key --clearmodifiers Escape
    wait_for sh -c "! xdotool search --all --onlyvisible --pid $program_pid --name '$name'" || fail "Escape left $picture open"
  done
  stop
}

fills_screen() { [ "$(inside "$1")" = "0 0 1280 1024" ]; }
full_screen() {
  settings 0
  start
  local main
  main=$(window_named '^Kestrune')
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || xdotool windowfocus --sync "$main"
  xdotool key --clearmodifiers shift+F11
  wait_for fills_screen "$main" || fail "Shift+F11 left the window at $(inside "$main")"
  shot full-screen "$main"
  xdotool key --clearmodifiers shift+F11
  wait_for sh -c "! xwininfo -id $main | grep -q 'Width: 1280'" || fail "Shift+F11 again kept the screen's size"
  stop
  settings 1
  start
  main=$(window_named '^Kestrune')
  wait_for fills_screen "$main" || fail "a start in full screen left the window at $(inside "$main")"
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || xdotool windowfocus --sync "$main"
  xdotool key --clearmodifiers shift+F11
  wait_for sh -c "! xwininfo -id $main | grep -q 'Width: 1280'" || fail "Shift+F11 after a start in full screen kept the screen's size"
  stop
}

rounds() {
  first_run
  echo "${wm:-without a window manager}: the setup wizard is centred, Bad ROMs on the main window, neither can be minimised or maximised"
  questions
  echo "${wm:-without a window manager}: Delete Rom File and the two Warning ! windows are centred; Delete Rom File cannot be minimised or maximised"
  full_screen
  echo "${wm:-without a window manager}: full screen fills the screen, from Shift+F11 and at start"
}

rounds

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wm=openbox
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
rounds
