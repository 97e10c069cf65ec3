#!/usr/bin/env bash
# Builds the program (not its tests) and starts it stand-alone on the embedded SQLite database.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(scripts/build.sh --program | tail -n 1)
exec "$build_dir/bin/zelvorin" "$@"
