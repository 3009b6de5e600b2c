#!/usr/bin/env bash
# Two programs on one program folder with two runtime folders (two users, or one user logged in twice):
# the second ends at once, says why on stderr and changes nothing in the folder; the first runs on and
# its game list stays. A lock left by a program that was killed does not keep the next one out.
# Usage: one_program_per_folder_test.sh <kestrune executable>
set -euo pipefail
kestrune=$(realpath "$1")
export QT_QPA_PLATFORM=offscreen
work=$(realpath "$(mktemp -d)")
pids=()
trap 'kill -KILL "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*"
  for log in "$work"/*.log; do echo "--- $log"; tail -n 20 "$log"; done
  exit 1
}
source "$(dirname "${BASH_SOURCE[0]}")/../mainwindow/x11_test_lib.sh"  # wait_for

program="$work/program"
mkdir -p "$program/ini" "$work/runtime-a" "$work/runtime-b"
chmod 700 "$work/runtime-a" "$work/runtime-b"
printf '#!/bin/sh\nexit 0\n' >"$program/mame"
chmod 755 "$program/mame"
printf '[kestruneui]\r\nmamefile=mame\r\nselected=0\r\n' >"$program/ini/kestrune.ini"
list='0|Pong (2 players)|Atari|Sports|1972||Mono|Raster|256x240|Horizontal (0°)|Paddle|60|Good|Good|good|good|good|.37b16|pong.cpp|2|0|00:00:00||pong|0'
printf '%s\r\n' "$list" >"$program/ini/kestrune.dat"

# Starts the program in the folder under the runtime folder $1, its output into $2.log; sets $pid.
start() {
  (cd "$program" && XDG_RUNTIME_DIR="$work/$1" exec "$kestrune") >"$work/$2.log" 2>&1 &
  pid=$!
  pids+=("$pid")
}
# Ready: the program has put its own handler on SIGTERM, after its windows were made.
catches_term() {
  local caught
  caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status" 2>/dev/null || true)
  (((0x${caught:-0} >> 14) & 1))
}
# Every file of the folder with its size, time, mode and checksum.
snapshot() {
  (cd "$program" && find . -printf '%p %s %T@ %m\n' | sort && find . -type f -exec md5sum {} + | sort)
}
# The folder as it stays once the program has done its start.
settled() {
  local before after
  before=$(snapshot)
  for _ in $(seq 50); do
    sleep 0.2
    after=$(snapshot)
    [ "$after" = "$before" ] && { printf '%s\n' "$after"; return 0; }
    before=$after
  done
  return 1
}

start runtime-a first
first=$pid
wait_for catches_term "$first" || fail "the first program did not get ready"
[ -e "$program/ini/kestrune-folder.lock" ] || fail "the first program did not lock its folder"
before=$(settled) || fail "the first program kept changing its folder"

start runtime-b second
second=$pid
timeout 60 tail --pid="$second" -f /dev/null || fail "the second program did not end"
wait "$second" || fail "the second program ended with $?"
grep -q "another Kestrune (process $first on .*) uses the program folder $program," "$work/second.log" ||
  fail "the second program did not say why it ended"
[ "$(snapshot)" = "$before" ] || fail "the second program changed the folder: $(diff <(echo "$before") <(snapshot))"
kill -0 "$first" || fail "the first program ended"
echo "a second program on the folder under another runtime folder ends and changes nothing"

kill -TERM "$first"
wait "$first" || fail "the first program did not end well"
[ "$(cat "$program/ini/kestrune.dat")" = "$list"$'\r' ] || fail "the first program's game list changed"
[ ! -e "$program/ini/kestrune-folder.lock" ] || fail "the first program left its lock"
echo "the first program's game list stays"

# A program killed leaves its lock; the next one, under the other runtime folder, takes it over.
start runtime-a killed
wait_for catches_term "$pid" || fail "the program to be killed did not get ready"
kill -KILL "$pid"
wait "$pid" || true
[ -e "$program/ini/kestrune-folder.lock" ] || fail "the killed program left no lock"
start runtime-b next
wait_for catches_term "$pid" || fail "the lock of a killed program kept the next one out"
[ "$(head -n 1 "$program/ini/kestrune-folder.lock")" = "$pid" ] || fail "the next program does not hold the lock"
kill -TERM "$pid"
wait "$pid" || fail "the next program did not end well"
echo "the lock of a killed program is taken over"
