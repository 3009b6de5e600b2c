#!/usr/bin/env bash
# Fails when a file under src/ includes a folder that stands above its own: every folder uses only
# itself and the folders below it, so any behaviour can be found by walking down from the window
# that starts it.
#   bash scripts/check-layers.sh [ROOT]    ROOT: the source folder to check (default: the repository's src/)
# Prints each offending file, line and include; exits 1 if there is one, 0 if there is none.
set -euo pipefail

# The order, lowest first. A file may include its own folder and the folders of lower ranks.
readonly LAYERS=(
  "platform"
  "zip settings translation taskdialog"
  "catalogue"
  "romscan"
  "mainwindow"
  "app"
)
# Folders of one rank stand side by side and do not include each other, except for these uses
# (folder>included folder): the task dialog's message window shows the program's translated strings.
readonly SIDEWAYS=("taskdialog>translation")

root=${1:-"$(cd "$(dirname "$0")/.." && pwd)/src"}
if [[ ! -d $root ]]; then
  echo "check-layers: $root is not a folder" >&2
  exit 2
fi
root=${root%/}

declare -A rank=()
for i in "${!LAYERS[@]}"; do
  for folder in ${LAYERS[$i]}; do
    rank[$folder]=$i
  done
done
declare -A sideways=()
for pair in "${SIDEWAYS[@]}"; do
  sideways[$pair]=1
done

# Why the file's folder may not include the other folder; nothing when it may.
refusal() {
  local from=$1 to=$2
  if [[ -z ${rank[$from]+set} ]]; then
    echo "its folder $from has no place in the layer order"
  elif [[ -z ${rank[$to]+set} ]]; then
    echo "the folder $to has no place in the layer order"
  elif ((rank[$to] > rank[$from])); then
    echo "$to stands above $from"
  elif ((rank[$to] == rank[$from])) && [[ $to != "$from" && -z ${sideways["$from>$to"]+set} ]]; then
    echo "$to stands beside $from, not below it"
  fi
}

shown=$(basename "$root")
failures=0
while IFS=: read -r file line text; do
  relative=${file#"$root"/}
  [[ $relative == */* ]] || continue
  from=${relative%%/*}
  [[ $text =~ \"([^\"]*)\" ]] || continue
  included=${BASH_REMATCH[1]}
  to=${included%%/*}
  # A quoted include naming no folder of src/ (a generated file, a library's header) is not a layer's.
  [[ -d $root/$to ]] || continue
  reason=$(refusal "$from" "$to")
  if [[ -n $reason ]]; then
    echo "$shown/$relative:$line: includes \"$included\": $reason"
    failures=$((failures + 1))
  fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$root" | sort -t: -k1,1 -k2,2n)

if ((failures > 0)); then
  order=$(printf '%s < ' "${LAYERS[@]}")
  echo "check-layers: $failures include(s) break the layer order, lowest first: ${order% < }" >&2
  exit 1
fi
