#!/usr/bin/env bash
# Builds and runs every benchmark at real scale; each figure is printed as "name: value unit".
# Generated data (a 270 MB -listxml, thousands of ROM archives, the program folder the start-up is
# timed on) goes to temporary folders that are removed afterwards. The windows are built too (an
# existing build-bench made without them is switched over): the start-up benchmark starts them.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_GUI=ON -DKESTRUNE_BENCH=ON
cmake --build build-bench -j "$(nproc)"

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT

build-bench/bench/catalogue/catalogue_split_bench
build-bench/bench/game_list/game_list_bench
build-bench/bench/zip/zip_listing_bench
build-bench/bench/startup/startup_bench
build-bench/bench/artwork/artwork_bench
QT_QPA_PLATFORM=offscreen build-bench/bench/artwork/movie_memory_bench
QT_QPA_PLATFORM=offscreen build-bench/bench/translation/translation_bench
build-bench/bench/rom_scan/rom_scan_generate "$data"
mkdir -p "$data/front"
build-bench/bench/rom_scan/kestrune-scan "$data/roms.dat" "$data/roms" "$data/front"
# The whole "Initialize Roms" against the installed MAME (an empty rom folder), side by side with MAME's
# own -listxml run.
if [ -x /usr/games/mame ]; then
  mkdir -p "$data/empty-roms"
  build-bench/bench/rom_scan/kestrune-scan --mame /usr/games/mame "$data/empty-roms" "$data/mame-front"
fi
