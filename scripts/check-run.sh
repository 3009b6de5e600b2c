#!/usr/bin/env bash
# Runs the README's run command as a new user would, in a new program folder, without a display
# (offscreen): it must build, start Kestrune and show its main window. Kestrune creates its empty
# catalogue when the main window is first shown; the check then asks it to quit (SIGTERM, which closes
# the window as the user would) and expects the settings file that the close writes.
set -euo pipefail
cd "$(dirname "$0")/.."

folder=$(mktemp -d)
log="$folder.log"
trap 'rm -rf "$folder" "$log"' EXIT

QT_QPA_PLATFORM=offscreen bash scripts/run.sh "$folder/program" >"$log" 2>&1 &
pid=$!

shown=0
for _ in $(seq 1 600); do
  if [ -f "$folder/program/ini/kestrune.dat" ]; then shown=1; break; fi
  if ! kill -0 "$pid" 2>/dev/null; then break; fi
  sleep 0.5
done
if [ "$shown" != 1 ]; then
  echo "run command: the main window was not shown; its output:"
  cat "$log"
  kill "$pid" 2>/dev/null || true
  exit 1
fi
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
if [ "$status" != 0 ] || [ ! -f "$folder/program/ini/kestrune.ini" ]; then
  echo "run command: Kestrune did not close cleanly (exit $status) or saved no settings; its output:"
  cat "$log"
  exit 1
fi
echo "run command: the main window was shown, and Kestrune closed and saved its settings"
