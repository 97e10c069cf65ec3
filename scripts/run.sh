#!/usr/bin/env bash
# Builds the program (not its tests) and starts it stand-alone on the embedded SQLite database.
# When no file it is built from changed since the last build of scripts/build.sh, it starts at
# once: make alone needs many seconds to find that out.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=build
stamp="$build_dir/.program-built"
sources=(CMakeLists.txt cmake platform library application tools resources settings database_templates manual
         scripts "$build_dir/CMakeCache.txt")
if [ ! -f "$stamp" ] || [ ! -x "$build_dir/bin/zelvorin" ] \
    || [ -n "$(find "${sources[@]}" -newer "$stamp" -print -quit 2>/dev/null)" ]; then
    build_dir=$(scripts/build.sh --program | tail -n 1)
fi
exec "$build_dir/bin/zelvorin" "$@"
