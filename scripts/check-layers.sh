#!/usr/bin/env bash
# Keeps the folders of src/ in their layers: a file may include headers of
# its own layer and of the layers before it, never of a layer after it.
# tools/ and src/main.cpp sit on top and may include anything.
#
#   bash scripts/check-layers.sh [ROOT]
#
# Prints every offending include as "file:line: includes folder/Header.h
# (layer above folder)" and exits 1 when there is one; 0 when the tree is
# clean. An include reaching out with "../" counts as offending too, as it
# hides which folder it uses.
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"

# Bottom first; folders on one line form one layer and may use each other.
layers=(
  "platform"
  "pictures"
  "pageengine"
  "widgets"
  "surface"
  "objects effects richtext"
  "document"
  "printing"
  "app sysinfo"
)

declare -A rank=()
for i in "${!layers[@]}"; do
  for folder in ${layers[$i]}; do
    rank[$folder]=$i
  done
done
top=${#layers[@]}

status=0
dirs=(); for d in src tools; do [[ -d $d ]] && dirs+=("$d"); done
files=$(find "${dirs[@]}" -type f \( -name "*.cpp" -o -name "*.h" \) | LC_ALL=C sort)
for file in $files; do
  case "$file" in
    src/*/*) own=${file#src/}; own=${own%%/*} ;;
    *) own="" ;; # tools/ and src/main.cpp
  esac
  if [[ -n "$own" && -z "${rank[$own]+set}" ]]; then
    echo "$file: folder src/$own is in no layer (add it to scripts/check-layers.sh)"
    status=1
    continue
  fi
  mine=$top
  [[ -n "$own" ]] && mine=${rank[$own]}
  while IFS=: read -r line header; do
    [[ -z "$line" ]] && continue
    if [[ "$header" == *../* ]]; then
      echo "$file:$line: includes $header (a path out of its folder)"
      status=1
      continue
    fi
    folder=${header%%/*}
    [[ "$folder" == "$header" ]] && continue # same folder
    [[ -z "${rank[$folder]+set}" ]] && continue # not one of ours (support/, Qt)
    if (( rank[$folder] > mine )); then
      echo "$file:$line: includes $header (layer above $own)"
      status=1
    fi
  done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
             sed -E 's/^([0-9]+):[^"]*"([^"]*)".*/\1:\2/')
done
exit $status
