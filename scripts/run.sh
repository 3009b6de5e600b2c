#!/usr/bin/env bash
# Installs what is missing, builds Kestrune and starts it in a program folder (default: demo/).
# The folder is prepared on first use with Debian's MAME linked in as "mame".
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target kestrune

folder=${1:-demo}
mkdir -p "$folder/lang"
# The shipped language files; one changed in the program folder is kept until the shipped one is newer.
cp -u lang/*.lng "$folder/lang/"
if [ ! -e "$folder/mame" ]; then
  mame_binary=$(command -v mame || true)
  [ -n "$mame_binary" ] || mame_binary=/usr/games/mame
  ln -s "$mame_binary" "$folder/mame"
fi
cd "$folder"
exec "$root/build/src/kestrune"
