#!/usr/bin/env bash
# Builds and runs every benchmark (Google Benchmark), printing medians.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBRISVALE_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target bench
