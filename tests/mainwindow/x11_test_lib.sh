# Shared by the tests that run the program on a real X server of their own (Xvfb), with and without a
# window manager (openbox). The script that sources it sets `work` (its temporary folder) and `pids`
# (what its exit trap ends) and defines `fail`.

# Skips the test (status 77) when a tool it needs is missing.
x11_need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null ||
      { echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"; exit 77; }
  done
}

# Waits (up to about 60 s, for a loaded machine) until the command succeeds.
wait_for() { for _ in $(seq 1 600); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }

# x11_start_display NAME WIDTHxHEIGHT: a display of our own, made the current one. Xvfb picks a free
# number and writes it to fd 3, so tests running side by side never share one.
x11_start_display() {
  Xvfb -displayfd 3 -screen 0 "${2}x24" -nolisten tcp 3>"$work/$1.display" >"$work/xvfb-$1.log" 2>&1 &
  pids+=($!)
  wait_for test -s "$work/$1.display" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$work/$1.display")"
  unset WAYLAND_DISPLAY
}

# Starts openbox on the current display and returns once it frames windows. It names itself before it
# serves, and on a loaded machine a window mapped in between is never shown: a throwaway window that it
# frames (made again until one is) says it serves.
x11_start_openbox() {
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  wait_for xprop -root _NET_SUPPORTING_WM_CHECK || fail "openbox did not start"
  local probe window
  for _ in $(seq 1 12); do
    xmessage -name kestrune-wm-probe probe >/dev/null 2>&1 &
    probe=$!
    window=""
    for _ in $(seq 1 50); do
      window=$(xdotool search --onlyvisible --classname kestrune-wm-probe 2>/dev/null | head -n 1 || true)
      [ -n "$window" ] && xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -q = && break
      window=""
      sleep 0.1
    done
    kill "$probe" 2>/dev/null || true
    wait "$probe" 2>/dev/null || true
    [ -z "$window" ] || return 0
  done
  fail "openbox shows no window"
}
