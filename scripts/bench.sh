#!/usr/bin/env bash
# Builds (optimised) and runs every benchmark; each prints "<name> <value> <unit>" lines.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(scripts/build.sh | tail -n 1)
export QT_QPA_PLATFORM=offscreen
for bench in "$build_dir"/bench/*_bench; do
    echo "# $(basename "$bench")"
    "$bench"
done
