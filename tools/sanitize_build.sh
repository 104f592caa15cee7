#!/usr/bin/env bash
# Configures and builds the clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer that the test command and the long run share:
# the tests, the soak tool and the libFuzzer targets, at -O1 (the sanitizers'
# own advice: far faster than -O0, every report still exact).
#
#   tools/sanitize_build.sh BUILD [TARGET...]
#
# Builds everything when no target is named.
set -euo pipefail
cd "$(dirname "$0")/.."
if (($# < 1)); then
    echo "usage: tools/sanitize_build.sh BUILD [TARGET...]" >&2
    exit 2
fi
build=$1
shift
# A cache made with another compiler cannot be switched over.
if [[ -f $build/CMakeCache.txt ]] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang++' "$build/CMakeCache.txt"; then
    rm -rf "$build"
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DREZARUDEV_SANITIZE=ON -DREZARUDEV_FUZZ=ON -DREZARUDEV_BENCH=OFF \
    -DREZARUDEV_TOOLS=OFF -DREZARUDEV_WERROR=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
