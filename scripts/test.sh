#!/usr/bin/env bash
# Installs the packages, builds and runs the whole test suite (offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DBRISVALE_WERROR=ON
# A print queue that writes PDF files, for the end-to-end print tests (they
# skip without one).
bash scripts/cups-setup.sh || true
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
