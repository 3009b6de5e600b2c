#!/usr/bin/env bash
# A program folder the user may not change. The tests run as root, whom no file mode stops, so the
# folder is a read-only bind mount in a user namespace of its own. There the program runs without a lock
# of its folder, and every failure names its file and the system's reason: the close's saves, Initialize
# Roms and the first run's scan (the *OnAReadOnlyFolder tests of mainwindow_tests, which fill a folder
# under TMPDIR and use its read-only view), and the saves of a program ended by a logout.
# Usage: read_only_folder_test.sh <kestrune executable> <mainwindow_tests executable> <test data folder>
set -euo pipefail
kestrune=$(realpath "$1")
tests=$(realpath "$2")
export KESTRUNE_TEST_DATA=$(realpath "$3") QT_QPA_PLATFORM=offscreen
if ! unshare -rm true 2>/dev/null; then
  echo "SKIPPED: user namespaces are refused here"
  exit 77
fi
work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/writable" "$work/view" "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" KESTRUNE_WRITABLE_FOLDER="$work/writable" KESTRUNE_READ_ONLY_VIEW="$work/view"
fail() { echo "FAILED: $*"; tail -n 40 "$work"/*.log; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/../mainwindow/x11_test_lib.sh"  # wait_for
# Runs the command with $work/view showing $work/writable read-only.
read_only() {
  unshare -rm sh -c 'mount --bind -o ro "$0" "$1" && shift && exec "$@"' "$work/writable" "$work/view" "$@"
}

TMPDIR="$work/writable" read_only "$tests" --gtest_filter='*OnAReadOnlyFolder.*' >"$work/tests.log" 2>&1 ||
  fail "a message on a read-only program folder"
if grep -q '^\[  SKIPPED \]' "$work/tests.log"; then fail "a test did not find the read-only view"; fi
passed=$(grep -c '^\[       OK \]' "$work/tests.log" || true)
[ "$passed" -eq 3 ] || fail "$passed tests ran, not 3"
echo "3 messages on a read-only program folder name their file and the system's reason"

# The real program, ended as a logout ends it: it ran without the folder's lock, and says why it saved nothing.
program="$work/writable/program"
mkdir -p "$program/ini"
printf '[kestruneui]\r\nmamefile=mame\r\n' >"$program/ini/kestrune.ini"
printf '0|Pong (2 players)|Atari|Sports|1972||Mono|Raster|256x240|Horizontal (0\302\260)|Paddle|60|Good|Good|good|good|good|.37b16|pong.cpp|2|0|00:00:00||pong|0\r\n' \
  >"$program/ini/kestrune.dat"
printf 'rompath roms\r\n' >"$program/mame.ini"
# Each shell execs the next, so that $! is the program's own process.
unshare -rm sh -c 'mount --bind -o ro "$0" "$1" && cd "$1/program" && exec "$2"' \
  "$work/writable" "$work/view" "$kestrune" >"$work/program.log" 2>&1 &
pid=$!
# Ready once it has put its own handler on SIGTERM.
catches_term() {
  local caught
  caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status" 2>/dev/null || true)
  (((0x${caught:-0} >> 14) & 1))
}
wait_for catches_term "$pid" || fail "the program did not get ready"
kill -TERM "$pid"
if wait "$pid"; then fail "the program said it saved everything"; fi
grep -q 'ini/kestrune.ini": the file is read-only (Read-only file system)' "$work/program.log" ||
  fail "the settings' save did not give the system's reason"
if grep -q "Input/output error" "$work/program.log"; then fail "a save gave a reason of its own"; fi
if grep -q "folder.lock\|for the lock" "$work/program.log"; then fail "the program wanted a lock in a folder it cannot change"; fi
[ ! -e "$program/ini/kestrune-folder.lock" ] || fail "a lock was left"
echo "the program ran on a read-only program folder and said why it saved nothing"
