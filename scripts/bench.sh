#!/usr/bin/env bash
# Builds and runs every benchmark at real scale; each figure is printed as "name: value unit".
# Generated data (a 270 MB -listxml and thousands of ROM archives) goes to a temporary folder that is
# removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_GUI=OFF -DKESTRUNE_BENCH=ON
cmake --build build-bench -j "$(nproc)"

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT

build-bench/bench/catalogue/catalogue_split_bench
build-bench/bench/game_list/game_list_bench
build-bench/bench/zip/zip_listing_bench
build-bench/bench/rom_scan/rom_scan_generate "$data"
mkdir -p "$data/front"
build-bench/bench/rom_scan/kestrune-scan "$data/roms.dat" "$data/roms" "$data/front"
