#!/usr/bin/env bash
# Tests of check-layers.sh on made-up source trees: each case writes a few files into a fresh src/
# and says whether the check passes and which lines its report must name.
set -euo pipefail
check="$(cd "$(dirname "$0")" && pwd)/check-layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
cases=0

# write <tree> <path> <line>...: a source file of the made-up tree.
write() {
  local tree=$1 path=$2
  shift 2
  mkdir -p "$(dirname "$tree/src/$path")"
  printf '%s\n' "$@" >"$tree/src/$path"
}

# expect <case name> <tree> <expected exit code> [text the report must hold]...
expect() {
  local name=$1 tree=$2 code=$3
  shift 3
  cases=$((cases + 1))
  local output status=0
  output=$(bash "$check" "$tree/src" 2>&1) || status=$?
  local problem=""
  [[ $status == "$code" ]] || problem="exit code $status, expected $code"
  for text in "$@"; do
    [[ $output == *"$text"* ]] || problem="${problem:+$problem; }report does not name: $text"
  done
  if [[ $code == 0 && -n $output ]]; then
    problem="${problem:+$problem; }a clean tree reported something"
  fi
  if [[ -n $problem ]]; then
    echo "FAILED: $name: $problem"
    while IFS= read -r reported; do echo "  $reported"; done <<<"$output"
    failed=$((failed + 1))
  fi
}

# A tree that keeps the order: own folder, lower folders, the allowed sideways use, system headers,
# quoted includes naming no folder, a subfolder and a commented-out line.
clean="$work/clean"
write "$clean" platform/text_file.h '#pragma once' '#include <string>'
write "$clean" zip/zip_listing.cpp '#include "zip/zip_listing.h"' '#include "platform/text_file.h"' '#include "zlib.h"'
write "$clean" translation/program_strings.h '#pragma once'
write "$clean" taskdialog/task_message_window.cpp '#include "translation/program_strings.h"'
write "$clean" catalogue/game_list.h '#pragma once' '#include "settings/ini_file.h"' '#include "zip/zip_listing.h"'
write "$clean" settings/ini_file.h '#pragma once'
write "$clean" romscan/rom_scan.cpp '#include "catalogue/game_list.h"' '// #include "mainwindow/main_window.h"'
write "$clean" mainwindow/images/toolbar.qrc '<RCC/>'
write "$clean" mainwindow/main_window.cpp '#include "romscan/rom_scan.h"' '  #  include "mainwindow/images/toolbar.h"'
write "$clean" app/main.cpp '#include "mainwindow/main_window.h"' '#include "platform/text_file.h"'
expect "a tree in order passes" "$clean" 0

# The same tree with one upward include.
upward="$work/upward"
cp -r "$clean" "$upward"
write "$upward" catalogue/bad_roms_dialog.cpp '#include <QDialog>' '' '#include "catalogue/game_list.h"' \
  '#include "mainwindow/main_window.h"'
expect "one upward include fails, naming the file, its line and the include" "$upward" 1 \
  'src/catalogue/bad_roms_dialog.cpp:4: includes "mainwindow/main_window.h": mainwindow stands above catalogue'

# Every offence is named, not only the first.
several="$work/several"
cp -r "$clean" "$several"
write "$several" romscan/rom_scan_command_qt.cpp '#include "mainwindow/program_windows.h"'
write "$several" settings/preferences_ok_qt.cpp '#include "catalogue/game_list.h"'
write "$several" platform/executable.cpp '#include "app/version.h"'
expect "each upward include of several files is named" "$several" 1 \
  'src/romscan/rom_scan_command_qt.cpp:1: includes "mainwindow/program_windows.h"' \
  'src/settings/preferences_ok_qt.cpp:1: includes "catalogue/game_list.h"' \
  'src/platform/executable.cpp:1: includes "app/version.h"'

# Folders of one rank do not use each other, beyond the use the order allows.
beside="$work/beside"
cp -r "$clean" "$beside"
write "$beside" zip/wide_file.cpp '#include "settings/ini_file.h"'
write "$beside" translation/lang_core.cpp '#include "taskdialog/task_message_window.h"'
expect "an include between folders of one rank fails" "$beside" 1 \
  'src/zip/wide_file.cpp:1: includes "settings/ini_file.h": settings stands beside zip, not below it' \
  'src/translation/lang_core.cpp:1: includes "taskdialog/task_message_window.h"'

# A new folder must be given its place before it can be used or use others.
unknown="$work/unknown"
cp -r "$clean" "$unknown"
write "$unknown" plugins/loader.cpp '#include "platform/text_file.h"'
write "$unknown" catalogue/plugin_list.cpp '#include "plugins/loader.h"'
expect "a folder missing from the order fails" "$unknown" 1 \
  'src/plugins/loader.cpp:1: includes "platform/text_file.h": its folder plugins has no place in the layer order' \
  'src/catalogue/plugin_list.cpp:1: includes "plugins/loader.h": the folder plugins has no place'

expect "a root that is not a folder is refused" "$work/missing" 2 "is not a folder"

if ((failed > 0)); then
  echo "check-layers-test: $failed of $cases cases failed"
  exit 1
fi
echo "check-layers-test: $cases cases passed"
