#!/usr/bin/env bash
# Starts the whole program built with AddressSanitizer and UBSan (offscreen) with every number of its
# settings file at one end of int, then at the other, and closes it as the user's session would
# (SIGTERM): any overflow or bad access on the way aborts it, and the check fails with its report.
# Usage: check-sanitized-start.sh <kestrune built with KESTRUNE_SANITIZE=ON>
set -euo pipefail
kestrune=$(realpath "$1")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Qt's own allocations that live to the end are not this program's faults.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

program="$work/program"
mkdir -p "$program/ini"
printf '#!/bin/sh\nexit 0\n' >"$program/mame"
chmod 755 "$program/mame"
printf '0|Pong (2 players)|Atari|Sports|1972||Mono|Raster|256x240|Horizontal (0\302\260)|Paddle|60|Good|Good|good|good|good|.37b16|pong.cpp|2|0|00:00:00||pong|0\r\n' \
  >"$program/ini/kestrune.dat"
printf '[kestruneui]\r\nmamefile=mame\r\n' >"$program/ini/kestrune.ini"

# One start: the window is up once its first activation has written mame.ini; then the close.
start_and_close() {
  rm -f "$program/mame.ini"
  (cd "$program" && exec "$kestrune") >"$work/log" 2>&1 &
  local pid=$! status=0
  for _ in $(seq 1 1200); do
    [ -f "$program/mame.ini" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -f "$program/mame.ini" ] || { echo "sanitized start ($1): no first activation"; cat "$work/log"; kill -9 "$pid" 2>/dev/null; exit 1; }
  kill -TERM "$pid"
  wait "$pid" || status=$?
  if [ "$status" != 0 ] || grep -qE 'runtime error|AddressSanitizer' "$work/log"; then
    echo "sanitized start ($1): exit $status"
    cat "$work/log"
    exit 1
  fi
}

# The first close writes every key; then every number of the file is set to each end in turn.
start_and_close "defaults"
for end in 2147483647 -2147483648; do
  sed -E -i "s/^([^=;[]+)=-?[0-9]+(\r?)$/\1=$end\2/" "$program/ini/kestrune.ini"
  grep -aq "=$end" "$program/ini/kestrune.ini" || { echo "sanitized start: no number to set"; exit 1; }
  start_and_close "every number $end"
done
echo "sanitized start: the program opened and closed with every setting at both ends of int"
