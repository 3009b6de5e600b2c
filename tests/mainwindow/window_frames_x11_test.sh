#!/usr/bin/env bash
# The real program on a real X server (Xvfb), without and with a window manager (openbox):
# - the setup wizard and the Game menu's three questions (Delete Rom File, the two "Warning !") open in
#   the middle of the screen, Bad ROMs in the middle of the main window;
# - the wizard, Bad ROMs and Delete Rom File offer no minimise or maximise button;
# - full screen (Shift+F11, and a start in full screen) fills the screen, also without a window manager;
# - Preferences has no close box and offers no close; Escape and a close request leave it open, OK closes it.
# Usage: window_frames_x11_test.sh <kestrune executable>
set -euo pipefail
kestrune=$(realpath "$1")
data=$(realpath "$(dirname "$0")/../data")
source "$(dirname "$0")/x11_test_lib.sh"
x11_need Xvfb xdpyinfo openbox xdotool xprop xwininfo xmessage wmctrl

work=$(mktemp -d)
pids=()
pid=""
# Whatever has already ended is not a failure of the test.
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; kill "${pids[@]}" 2>/dev/null || true; wait; rm -rf "$work"' EXIT
fail() {
  echo "FAILED${wm:+ with $wm}: $*"
  xwininfo -root -tree | grep -E '^ +0x[0-9a-f]+ "' | head -n 20 || true
  x11_print_logs
  exit 1
}

x11_start_program_session
mkdir -p "$program"
cp "$data/romscan/listxml/catalogue.xml" "$program/list.xml"
# MAME lists its games once the test has ticked what it wants ticked during the scan.
printf '#!/bin/sh\n[ "$1" = -listxml ] && { : >listing; while [ ! -e go ]; do sleep 0.1; done; cat list.xml; }\nexit 0\n' \
  >"$program/mame"
chmod 755 "$program/mame"

wm=""
start() { (cd "$program" && exec "$kestrune") >>"$work/kestrune.log" 2>&1 & pid=$!; }
stop() { kill -TERM "$pid"; wait "$pid" || true; pid=""; }
shown() { xdotool search --all --onlyvisible --pid "$pid" --name "$1"; }
# The program's visible window whose name matches; under a window manager, once it is framed.
window_named() {
  wait_for shown "$1" || fail "program: no window $1"
  local found
  found=$(shown "$1" | head -n 1)
  [ -z "$wm" ] || wait_for sh -c "xprop -id $found _NET_FRAME_EXTENTS | grep -q =" || fail "window manager: $1 got no frame"
  echo "$found"
}
gone() { wait_for sh -c "! xdotool search --all --onlyvisible --pid $pid --name '$1'" || fail "$1 stayed open"; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# "x y width height" of a window's inside, and of its frame (the same without a window manager).
inside() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
  /^ +Width/ {w=$NF} /^ +Height/ {h=$NF} END {print x, y, w, h}'; }
frame() {
  local x y w h l r t b
  read -r x y w h <<<"$(inside "$1")"
  read -r l r t b <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ',')"
  echo $((x - ${l:-0})) $((y - ${t:-0})) $((w + ${l:-0} + ${r:-0})) $((h + ${t:-0} + ${b:-0}))
}
centre_of() { local x y w h; read -r x y w h <<<"$1"; echo $((x + w / 2)) $((y + h / 2)); }
# Whether the centre of the rectangle $1 lies within $3 pixels of the point $2.
centred_at() {
  local x y w h cx cy
  read -r x y w h <<<"$1"
  read -r cx cy <<<"$2"
  (((2 * x + w - 2 * cx) ** 2 <= 4 * $3 * $3 && (2 * y + h - 2 * cy) ** 2 <= 4 * $3 * $3))
}
# Centred: the frame, caption and all (taken to be as wide as the main window's before the window
# manager framed the window, so a few pixels may differ), or, where no frame was known, the inside.
check_centred() {
  centred_at "$(frame "$1")" "$3" 3 || centred_at "$(inside "$1")" "$3" 1 ||
    fail "$2 is not centred at $3: inside $(inside "$1"), frame $(frame "$1")"
}
# The window manager offers neither; without one, the Motif hints that managers read ask for neither
# (functions given, without MWM_FUNC_ALL, MINIMIZE and MAXIMIZE).
check_no_min_max() {
  local hints flags functions
  if [ -n "$wm" ]; then
    hints=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
    case "$hints" in *MINIMIZE* | *MAXIMIZE*) fail "$2 can be minimised or maximised: $hints" ;; esac
  else
    hints=$(xprop -id "$1" _MOTIF_WM_HINTS)
    read -r flags functions _ <<<"$(echo "$hints" | sed -n 's/.*= *//p' | tr -d ',')"
    [ -n "${functions:-}" ] && (((flags & 1) && (functions & 0x19) == 0)) || fail "$2 asks for those buttons: $hints"
  fi
}

# The first start: the wizard, a scan with "Show bad roms after initializing" ticked, Bad ROMs.
first_run() {
  rm -rf "$program/ini" "$program/go" "$program/listing" "$program"/*.ini "$program/roms.dat"
  start
  local wizard badroms
  wizard=$(window_named '^Setup - Kestrune')
  check_centred "$wizard" "the setup wizard" "640 512"
  check_no_min_max "$wizard" "the setup wizard"
  click "$wizard" 234 269 # Next
  wait_for test -e "$program/listing" || fail "Next did not start MAME"
  click "$wizard" 20 246 # Show bad roms after initializing
  : >"$program/go"
  badroms=$(window_named '^Bad Roms$')
  check_centred "$badroms" "Bad ROMs" "$(centre_of "$(inside "$(window_named '^Kestrune')")")"
  check_no_min_max "$badroms" "Bad ROMs"
  click "$badroms" 248 248 # OK
  gone '^Bad Roms$'
  stop
}

# One game with an option file and a recording: every question of the Game menu can be asked.
settings() {
  rm -rf "$program/ini" "$program/inp"
  mkdir -p "$program/ini" "$program/inp"
  printf '[kestruneui]\r\nmamefile=mame\r\nwinleft=150\r\nwintop=100\r\nwinwidth=760\r\nwinheight=540\r\nwinmax=%s\r\n' \
    "$1" >"$program/ini/kestrune.ini"
  printf '0|Pong|Atari|Sports|1972||Mono|Raster|256x240|Horizontal|Paddle|60|Good|Good|good|good|good|.37b16|pong.cpp|2|0|00:00:00||pong|0\r\n' \
    >"$program/ini/kestrune.dat"
  : >"$program/ini/pong.ini"
  : >"$program/inp/pong.inp"
}

questions() {
  settings 0
  start
  local main question downs name
  main=$(window_named '^Kestrune')
  # The list's pop-up menu from the keyboard: Play, Play and Record, Playback, Game Options, then
  # Delete Game .Ini, Delete Recorded Game, Move Rom File To.
  for item in "5|^Warning !$" "6|^Warning !$" "7|^Move pong.zip Rom File$"; do
    IFS='|' read -r downs name <<<"$item"
    click "$main" 60 98 # the game's row
    xdotool key --clearmodifiers Menu
    sleep 0.5
    for _ in $(seq 1 "$downs"); do xdotool key --clearmodifiers Down; done
    xdotool key --clearmodifiers Return
    question=$(window_named "$name")
    check_centred "$question" "question $downs" "640 512"
    [ "$downs" = 7 ] && check_no_min_max "$question" "Delete Rom File"
    xdotool key --clearmodifiers Escape
    gone "$name"
  done
  stop
}

# The window manager offers no close (openbox, which keeps the close box of every window it frames,
# shows it without a frame); without one, the Motif hints ask for no close (functions given, without
# MWM_FUNC_ALL and MWM_FUNC_CLOSE).
check_no_close() {
  local hints flags functions
  if [ -n "$wm" ]; then
    hints=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
    case "$hints" in *CLOSE*) fail "$2 can be closed: $hints" ;; esac
    hints=$(xprop -id "$1" _NET_FRAME_EXTENTS)
    [ "${hints#*= }" = "0, 0, 0, 0" ] || fail "$2 has a frame, with its close box: $hints"
  else
    hints=$(xprop -id "$1" _MOTIF_WM_HINTS)
    read -r flags functions _ <<<"$(echo "$hints" | sed -n 's/.*= *//p' | tr -d ',')"
    [ -n "${functions:-}" ] && (((flags & 1) && (functions & 0x21) == 0)) || fail "$2 asks for a close: $hints"
  fi
}

# Setup > Preferences (Ctrl+Shift+F11) is left by OK only.
preferences() {
  settings 0
  start
  local main prefs
  main=$(window_named '^Kestrune')
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || xdotool windowfocus --sync "$main"
  xdotool key --clearmodifiers ctrl+shift+F11
  prefs=$(window_named '^Preferences$')
  check_no_close "$prefs" "Preferences"
  wmctrl -i -c "$prefs" # the window manager's close (none answers it without one)
  [ -z "$wm" ] || xdotool key --clearmodifiers alt+F4
  xdotool key --clearmodifiers Escape
  sleep 1
  [ "$(shown '^Preferences$')" = "$prefs" ] || fail "Preferences was left without OK"
  xdotool key --clearmodifiers Return # OK, the default button
  gone '^Preferences$'
  stop
}

fills_screen() { [ "$(inside "$1")" = "0 0 1280 1024" ]; }
shift_f11() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
  xdotool key --clearmodifiers shift+F11
}
full_screen() {
  local main
  settings 0
  start
  main=$(window_named '^Kestrune')
  shift_f11 "$main"
  wait_for fills_screen "$main" || fail "Shift+F11 left the window at $(inside "$main")"
  shift_f11 "$main"
  wait_for sh -c "! xwininfo -id $main | grep -q 'Width: 1280'" || fail "Shift+F11 again kept the screen's size"
  stop
  settings 1
  start
  main=$(window_named '^Kestrune')
  wait_for fills_screen "$main" || fail "a start in full screen left the window at $(inside "$main")"
  shift_f11 "$main"
  wait_for sh -c "! xwininfo -id $main | grep -q 'Width: 1280'" || fail "leaving a start in full screen kept its size"
  stop
}

rounds() {
  first_run
  questions
  full_screen
  preferences
  echo "${wm:-without a window manager}: the wizard, Bad ROMs and the three questions are centred and the wizard," \
    "Bad ROMs and Delete Rom File have no minimise or maximise; full screen fills the screen; Preferences has" \
    "no close and is left by OK only"
}

rounds
x11_start_openbox
wm=openbox
rounds
