#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# a normal build with GCC, and one with clang's AddressSanitizer and
# UndefinedBehaviorSanitizer, so every run compiles with both compilers.
# Warnings are errors here (not in a plain build, where a newer compiler's
# new warnings must not stop a player's build).
# Tests that need OpenGL run under Xvfb with Mesa's software renderer.
#
# The sanitizer build also holds the libFuzzer targets (its libraries carry
# the fuzzer's coverage hooks), and its soak test, the longest part, starts
# as soon as the game is built and runs beside everything else. Last, each
# fuzz target runs for a few seconds from its committed seeds, and the
# browser build is made and tested in headless Chromium.
# tools/long_run.sh is the same sanitizer build played and fuzzed for longer.
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
jobs=$(nproc)
started=$SECONDS
timings=()
lap() {
    timings+=("$(printf '%-32s %4d s' "$1" $((SECONDS - $2)))")
}

# -noreset: an X server that resets when its last client leaves refuses the
# next connection for a moment, and a test may be its only client.
run_tests() {
    local dir=$1
    shift
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@"
}

# The soak first: it needs only the game and the soak tool of the sanitizer build.
step=$SECONDS
bash tools/sanitize_build.sh build-sanitize rezarudev soak
lap "sanitizer build: game and soak" "$step"
soak_log=build-sanitize/soak.log
soak_start=$SECONDS
frames=$(sed -n 's/^REZARUDEV_SOAK_FRAMES:STRING=//p' build-sanitize/CMakeCache.txt)
bash tools/soak/run.sh build-sanitize/rezarudev build-sanitize/tools/soak/soak "${frames:-20000}" >"$soak_log" 2>&1 &
soak_pid=$!
# A soak that fails early is reported at the end like one that fails late.
trap 'kill "$soak_pid" 2>/dev/null || true' EXIT

step=$SECONDS
bash tools/sanitize_build.sh build-sanitize
lap "sanitizer build: the rest" "$step"
step=$SECONDS
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREZARUDEV_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
lap "GCC build" "$step"

step=$SECONDS
run_tests build
lap "GCC suite" "$step"
step=$SECONDS
run_tests build-sanitize -E '^soak$'
lap "sanitizer suite (soak aside)" "$step"
# Every fuzz target for a short while, from its committed seeds.
step=$SECONDS
REZARUDEV_FUZZ_BUILD=build-sanitize bash tools/fuzz.sh 10
lap "fuzz targets, 10 s each" "$step"

# The browser build: the page in headless Chromium beside the GCC build's game.
step=$SECONDS
bash tools/web/test.sh build
lap "browser build and its tests" "$step"

step=$SECONDS
soak_status=0
wait "$soak_pid" || soak_status=$?
trap - EXIT
cat "$soak_log"
lap "waiting for the soak" "$step"
timings+=("$(printf '%-32s %4d s' "soak (beside the rest)" $((SECONDS - soak_start)))")
if ((soak_status != 0)); then
    echo "test.sh: the soak failed" >&2
    exit 1
fi
lap "total" "$started"
printf '%s\n' "${timings[@]}"
