#!/usr/bin/env bash
# The layer check on small made-up trees: each case is one file with one
# include line and whether the check must accept it.
set -uo pipefail
check="$1/scripts/check-layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
# file | include line | expected exit status
while IFS='|' read -r file include expected; do
  [[ -z "$file" || "$file" == '#'* ]] && continue
  tree="$work/case"
  rm -rf "$tree"
  mkdir -p "$tree/$(dirname "$file")"
  printf '%s\n' "#pragma once" "$include" "int x;" >"$tree/$file"
  bash "$check" "$tree" >"$work/out" 2>&1
  got=$?
  if [[ "$got" != "$expected" ]]; then
    echo "FAIL: $file with '$include': exit $got, expected $expected"
    cat "$work/out"
    failures=$((failures + 1))
  elif [[ "$expected" == 1 ]] && ! grep -q "^$file" "$work/out"; then
    echo "FAIL: $file with '$include': the offending file is not named"
    cat "$work/out"
    failures=$((failures + 1))
  fi
done <<'CASES'
src/platform/A.cpp|#include "platform/B.h"|0
src/platform/A.cpp|#include "pageengine/PageEngine.h"|1
src/pageengine/A.cpp|#include "surface/GraphicControl.h"|1
src/pictures/A.cpp|#include "platform/Dib.h"|0
src/platform/A.cpp|#include "pictures/Metafile.h"|1
src/pictures/A.cpp|#include "pageengine/PageEngine.h"|1
src/pageengine/A.cpp|#include "pictures/Picture.h"|0
src/surface/A.cpp|#include "pageengine/PageEngine.h"|0
src/surface/A.h|#include "objects/Shapes.h"|1
src/effects/A.cpp|#include "objects/BaseLabel.h"|0
src/objects/A.cpp|#include "widgets/NumericEdit.h"|0
src/widgets/A.cpp|#include "surface/BasePanel.h"|1
src/objects/A.cpp|#include "document/Settings.h"|1
src/document/A.cpp|#include "printing/Imposition.h"|1
src/printing/A.cpp|#include "document/CardLayout.h"|0
src/printing/A.cpp|#include "app/MainScreen.h"|1
src/sysinfo/A.cpp|  #  include "app/AboutBox.h"|0
src/app/A.cpp|#include "sysinfo/ConfigInfo.h"|0
src/printing/A.cpp|#include "../app/MainScreen.h"|1
src/printing/A.cpp|#include "LabelPrinter.h"|0
src/printing/A.cpp|#include <QDialog>|0
src/newfolder/A.cpp|#include "platform/Numeric.h"|1
tools/x/main.cpp|#include "app/MainScreen.h"|0
src/main.cpp|#include "app/MainScreen.h"|0
CASES

# The real tree obeys its layers.
if ! bash "$check" "$1"; then
  echo "FAIL: the source tree breaks its layers"
  failures=$((failures + 1))
fi
[[ $failures == 0 ]] && echo "layer check: all cases pass"
exit $((failures > 0))
