#!/usr/bin/env bash
# Configures and builds. --asan: sanitizer build in build-asan/; --tsan: build-tsan/.
# --program: only the program and what it needs to start (the demo files, the manual, the
# automation client), not the tests and benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
targets=()
for arg in "$@"; do
    case "$arg" in
        --asan) build_dir=build-asan; cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DZELVORIN_SANITIZE=ON) ;;
        --tsan) build_dir=build-tsan; cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DZELVORIN_TSAN=ON) ;;
        --program) targets=(--target zelvorin-program) ;;
        *) echo "unknown option: $arg" >&2; exit 2 ;;
    esac
done

scripts/install-deps.sh >&2
# A tree configured before configures itself again when a CMake file changed.
if [ ! -f "$build_dir/CMakeCache.txt" ] || [ ! -f "$build_dir/Makefile" ]; then
    cmake -S . -B "$build_dir" "${cmake_args[@]}" >&2
fi
# Every build here includes the program. Its stamp bears the time the build began, so that
# what changes meanwhile is newer (run.sh).
touch "$build_dir/.program-built.new"
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}" >&2
mv "$build_dir/.program-built.new" "$build_dir/.program-built"
echo "$build_dir"
