#!/usr/bin/env bash
# Builds and starts the program stand-alone on the embedded SQLite database.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(scripts/build.sh | tail -n 1)
exec "$build_dir/bin/zelvorin" "$@"
