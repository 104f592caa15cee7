#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# a normal build with GCC, and one with clang's AddressSanitizer and
# UndefinedBehaviorSanitizer, so every run compiles with both compilers.
# Warnings are errors here (not in a plain build, where a newer compiler's
# new warnings must not stop a player's build).
# Tests that need OpenGL run under Xvfb with Mesa's software renderer. Last,
# each libFuzzer target runs for 20 seconds.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/install_deps.sh

export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
export LIBGL_ALWAYS_SOFTWARE=1
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# Without a runtime folder (CI has no login session) the Wayland client
# library adds a line of its own to the game's standard error.
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
    XDG_RUNTIME_DIR="$(mktemp -d)"
    export XDG_RUNTIME_DIR
fi

# -noreset: an X server that resets when its last client leaves refuses the
# next connection for a moment, and a test may be its only client.
run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREZARUDEV_WERROR=ON
# A cache made with another compiler cannot be switched over.
if [[ -f build-sanitize/CMakeCache.txt ]] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang++' build-sanitize/CMakeCache.txt; then
    rm -rf build-sanitize
fi
run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DREZARUDEV_SANITIZE=ON -DREZARUDEV_BENCH=OFF -DREZARUDEV_TOOLS=OFF \
    -DREZARUDEV_WERROR=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
# Every fuzz target for a short while, from its committed seeds.
bash tools/fuzz.sh 20
