#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in their own build folder
# and runs each for SECONDS (default 60), one after another.
#
#   tools/fuzz.sh [SECONDS]
#
# Inputs found along the way collect in BUILD/corpus/NAME and are reused by the
# next run; the committed seeds in fuzz/corpus/NAME are only read. A crash or
# a broken property leaves its input in BUILD/findings/NAME and makes the
# script fail once every target has had its turn. REZARUDEV_FUZZ_BUILD names
# the build folder (default build-fuzz); one already configured with the fuzz
# targets, such as the sanitizer build of tools/sanitize_build.sh, is used as
# it is.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1)); then
    echo "tools/fuzz.sh: SECONDS must be a whole number above 0, not '$seconds'" >&2
    exit 2
fi
build=${REZARUDEV_FUZZ_BUILD:-build-fuzz}

if ! grep -qs '^REZARUDEV_FUZZ:BOOL=ON' "$build/CMakeCache.txt"; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DREZARUDEV_FUZZ=ON \
        -DREZARUDEV_TESTS=OFF -DREZARUDEV_BENCH=OFF -DREZARUDEV_TOOLS=OFF >/dev/null
fi
cmake --build "$build" --target fuzz_targets

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=()
for source in fuzz/*.cpp; do
    name=$(basename "$source" .cpp)
    corpus="$build/corpus/$name"
    findings="$build/findings/$name"
    mkdir -p "$corpus" "$findings"
    log="$build/fuzz_$name.log"
    echo "fuzz_$name: ${seconds}s"
    # The game's one-line warnings about bad files (and libpng's) would flood
    # the log, so the targets' standard error is closed.
    if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" "fuzz/corpus/$name" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
        echo "fuzz_$name: ${runs:-?} runs, ${cov:-cov: ?}, corpus $(ls "$corpus" | wc -l) inputs"
    else
        failed+=("$name")
        echo "fuzz_$name: FAILED; the log follows ($log), the input is in $findings" >&2
        tail -n 40 "$log" >&2
        # The run hid the target's own messages; the input alone shows them.
        input=$(ls -t "$findings"/* 2>/dev/null | head -n 1 || true)
        if [[ -n $input ]]; then
            echo "fuzz_$name: $input once more:" >&2
            "$build/fuzz/fuzz_$name" "$input" 2>&1 | grep -v '^INFO:' | head -n 40 >&2 || true
        fi
    fi
done
if ((${#failed[@]})); then
    echo "tools/fuzz.sh: failing targets: ${failed[*]}" >&2
    exit 1
fi
