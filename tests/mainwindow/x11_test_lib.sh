# Shared by the tests that run the program on a real X server of their own (Xvfb), with and without a
# window manager (openbox). The script that sources it sets `work` (its temporary folder) and `pids`
# (what its exit trap ends) and defines `fail`. A failure of the display or of the window manager says
# so ("display: …", "window manager: …"), so that it is not taken for a fault of the program.

# Skips the test (status 77) when a tool it needs is missing.
x11_need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null ||
      { echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"; exit 77; }
  done
}

# Waits until the command succeeds, for up to `x11_cap` seconds: generous, as a loaded machine can take
# seconds for what takes milliseconds on an idle one.
x11_cap=${x11_cap:-120}
wait_for() {
  local until=$((SECONDS + x11_cap))
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < until)) || return 1
    sleep 0.1
  done
}

# How often a display or window manager that does not come up is started again.
x11_tries=3

x11_alive() { kill -0 "$1" 2>/dev/null; }
x11_end() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

# x11_start_display NAME WIDTHxHEIGHT: a display of our own, made the current one, once it answers a
# client. Xvfb picks a free number and writes it to fd 3, so tests running side by side never share one.
# -noreset: by default Xvfb resets whenever its last client leaves and drops a client that is still
# connecting then, as the program is while a test's xdotool looks for its window.
x11_start_display() {
  local try pid number log
  for try in $(seq 1 "$x11_tries"); do
    log="$work/xvfb-$1-$try.log"
    Xvfb -displayfd 3 -noreset -screen 0 "${2}x24" -nolisten tcp 3>"$work/$1.display" >"$log" 2>&1 &
    pid=$!
    pids+=("$pid")
    if wait_for sh -c "test -s '$work/$1.display' || ! kill -0 $pid" && x11_alive "$pid"; then
      number=$(head -n 1 "$work/$1.display")
      if wait_for sh -c "xdpyinfo -display :$number || ! kill -0 $pid" && x11_alive "$pid" &&
        xdpyinfo -display ":$number" >/dev/null 2>&1; then
        export DISPLAY=":$number"
        unset WAYLAND_DISPLAY
        return 0
      fi
    fi
    echo "display: Xvfb ($1, try $try) did not serve a display; starting it again" >&2
    tail -n 5 "$log" >&2
    x11_end "$pid"
  done
  fail "display: Xvfb did not serve a display in $x11_tries tries"
}

# Whether the window manager frames a new window: a throwaway window, framed once the manager has told
# it its frame's extents. A window mapped while openbox is still starting may never be managed, so the
# probe is made again (for up to the cap) until one is framed.
x11_frames_a_window() {
  local manager=$1 probe window until=$((SECONDS + x11_cap))
  while ((SECONDS < until)) && x11_alive "$manager"; do
    xmessage -name kestrune-wm-probe probe >/dev/null 2>&1 &
    probe=$!
    window=""
    for _ in $(seq 1 100); do
      window=$(xdotool search --onlyvisible --classname kestrune-wm-probe 2>/dev/null | head -n 1 || true)
      [ -n "$window" ] && xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -q = && break
      window=""
      x11_alive "$probe" && x11_alive "$manager" || break
      sleep 0.1
    done
    x11_end "$probe"
    [ -z "$window" ] || return 0
  done
  return 1
}

# Starts openbox on the current display and returns once it frames windows; one that ends or frames
# nothing is started again.
x11_start_openbox() {
  local try pid log
  for try in $(seq 1 "$x11_tries"); do
    log="$work/openbox-$try.log"
    openbox >"$log" 2>&1 &
    pid=$!
    pids+=("$pid")
    if wait_for sh -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window || ! kill -0 $pid" &&
      x11_alive "$pid" && x11_frames_a_window "$pid"; then
      return 0
    fi
    echo "window manager: openbox (try $try) framed no window; starting it again" >&2
    tail -n 5 "$log" >&2
    x11_end "$pid"
  done
  fail "window manager: openbox framed no window in $x11_tries tries"
}

# The end of each log of the test's folder, for a failure's report.
x11_print_logs() { for log in "$work"/*.log; do echo "--- $log"; tail -n 20 "$log"; done; }

# A 1280×1024 display made the current one, the program on it through xcb, a runtime folder of the
# test's own, and the path of its program folder in `program`.
x11_start_program_session() {
  x11_start_display screen 1280x1024
  export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  program="$work/program"
}
