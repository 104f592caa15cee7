#!/usr/bin/env bash
# The long run, for a release: the soak for FRAMES frames of random play
# through the sanitizer build of the game, then every fuzz target for SECONDS
# each, in the build that the test command uses. The figures of both come last.
#
#   tools/long_run.sh FRAMES SECONDS [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
if (($# < 2 || $# > 3)) || ! [[ $1 =~ ^[0-9]+$ && $2 =~ ^[0-9]+$ ]] || (($1 < 2 || $2 < 1)); then
    echo "usage: tools/long_run.sh FRAMES SECONDS [SEED] (at least 2 frames and 1 second)" >&2
    exit 2
fi
frames=$1 seconds=$2 seed=${3:-4660}
bash tools/install_deps.sh
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" LIBGL_ALWAYS_SOFTWARE=1
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
    XDG_RUNTIME_DIR="$(mktemp -d)"
    export XDG_RUNTIME_DIR
fi
build=build-sanitize
bash tools/sanitize_build.sh "$build" rezarudev soak fuzz_targets

status=0
start=$SECONDS
soak_log=$build/long_soak.log
if bash tools/soak/run.sh "$build/rezarudev" "$build/tools/soak/soak" "$frames" "$seed" >"$soak_log" 2>&1; then
    soak_result="passed"
else
    soak_result="FAILED"
    status=1
fi
soak_time=$((SECONDS - start))
start=$SECONDS
fuzz_log=$build/long_fuzz.log
REZARUDEV_FUZZ_BUILD=$build bash tools/fuzz.sh "$seconds" >"$fuzz_log" 2>&1 || status=1
fuzz_time=$((SECONDS - start))

echo "long run: soak of $frames frames (seed $seed) $soak_result in $soak_time s"
cat "$soak_log"
echo "long run: fuzz targets, $seconds s each, in $fuzz_time s"
grep -E '^fuzz_[a-z_]+: ' "$fuzz_log" | grep -v ': [0-9]*s$' || true
((status == 0)) || echo "long run: FAILED; the logs are $soak_log and $fuzz_log" >&2
exit "$status"
