#!/usr/bin/env bash
# Runs the README's run command as a new user would, in a new program folder, without a display
# (offscreen): it must build, start Kestrune on a first run and show its main window. Nobody can press
# the setup wizard's Next here, so the wizard runs unattended (KESTRUNE_SETUP=unattended, as in a
# scripted install): it lets the linked MAME list its games and saves the catalogue, in which the
# machines that need no ROM file (pong) are available. The check then asks Kestrune to quit (SIGTERM,
# which closes the window as the user would) and expects the settings file that the close writes and
# pong still available in the catalogue it saves.
set -euo pipefail
cd "$(dirname "$0")/.."

folder=$(mktemp -d)
log="$folder.log"
trap 'rm -rf "$folder" "$log"' EXIT
catalogue="$folder/program/ini/kestrune.dat"

# pong's catalogue line: available ("0" first) with the verdict "OK" last.
pong_available() { [ -f "$catalogue" ] && grep -aq '^0|.*|pong|0.\?$' "$catalogue"; }

QT_QPA_PLATFORM=offscreen KESTRUNE_SETUP=unattended bash scripts/run.sh "$folder/program" >"$log" 2>&1 &
pid=$!

listed=0
for _ in $(seq 1 600); do
  if pong_available; then listed=1; break; fi
  if ! kill -0 "$pid" 2>/dev/null; then break; fi
  sleep 0.5
done
if [ "$listed" != 1 ]; then
  echo "run command: the first run did not end with pong available in the catalogue; its output:"
  cat "$log"
  kill "$pid" 2>/dev/null || true
  exit 1
fi
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
if [ "$status" != 0 ] || [ ! -f "$folder/program/ini/kestrune.ini" ] || ! pong_available; then
  echo "run command: Kestrune did not close cleanly (exit $status), saved no settings or lost its catalogue; its output:"
  cat "$log"
  exit 1
fi
echo "run command: the first run went through the setup wizard to a list with pong available, and Kestrune closed and saved it"
