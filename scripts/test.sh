#!/usr/bin/env bash
# Builds and runs every test headless on a private D-Bus session.
# --asan / --tsan: the sanitizer builds. Extra ctest arguments follow "--" (e.g. -- -L core).
set -euo pipefail
cd "$(dirname "$0")/.."

build_args=()
ctest_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --) shift; ctest_args=("$@"); break ;;
        *) build_args+=("$1"); shift ;;
    esac
done

build_dir=$(scripts/build.sh "${build_args[@]}" | tail -n 1)

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(pwd)/scripts/lsan.supp}
# Qt starts programs with a clone that shares the parent's memory until exec; ThreadSanitizer
# takes that for a fork of the parent and would refuse its next thread (die_after_fork).
# A camera thread touches many pixels between handing a picture over and its use: a longer
# history keeps the hand-over's stack, which the suppressions need to recognise it.
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:history_size=5:suppressions=$(pwd)/scripts/tsan.supp}
cd "$build_dir"
dbus-run-session -- ctest --output-on-failure --parallel "$(nproc)" "${ctest_args[@]}"
