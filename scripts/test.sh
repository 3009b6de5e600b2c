#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: a short bounded run of each fuzz
# target, the plain C++ libraries under AddressSanitizer and UBSan, then the whole program with its Qt
# windows (offscreen) and the benchmarks' build.
set -euo pipefail
cd "$(dirname "$0")/.."

# The layers first, so an include that reaches up fails before any build.
bash scripts/check-layers-test.sh
bash scripts/check-layers.sh

bash scripts/install-deps.sh
jobs=$(nproc)

# The fuzz targets, with clang, and a short bounded fuzz run of each.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_GUI=OFF \
  -DKESTRUNE_FUZZ=ON -DKESTRUNE_WERROR=ON
cmake --build build-fuzz -j "$jobs" --target fuzz_targets
ctest --test-dir build-fuzz --output-on-failure -R _fuzz

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_GUI=OFF -DKESTRUNE_SANITIZE=ON \
  -DKESTRUNE_WERROR=ON
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
# The whole program under the sanitizers too, started with every setting at both ends of int.
cmake -S . -B build-asan-gui -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_SANITIZE=ON -DKESTRUNE_WERROR=ON
cmake --build build-asan-gui -j "$jobs" --target kestrune sanitized_window_tests
bash scripts/check-sanitized-start.sh build-asan-gui/src/kestrune
# The window tests of what an archive's password question could free while it is open.
ctest --test-dir build-asan-gui --output-on-failure -R '^sanitized_window_tests$'

# Last, the whole program with its windows: its summary closes the run.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_WERROR=ON -DKESTRUNE_BENCH=ON
cmake --build build -j "$jobs"
# The README's run command, as a new user would start the program.
bash scripts/check-run.sh
ctest --test-dir build --output-on-failure -j "$jobs"
