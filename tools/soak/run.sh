#!/usr/bin/env bash
# The soak test: a replay of random play goes through the real program under
# Xvfb with a trace and a recording; the trace must keep the game's
# invariants in every frame, and replaying the recording must give the same
# trace again.
#
#   tools/soak/run.sh GAME SOAK FRAMES [SEED]
#
# GAME is the rezarudev binary, SOAK the soak tool built beside it. The work
# folder is kept when something fails.
set -euo pipefail
if (($# < 3 || $# > 4)); then
    echo "usage: tools/soak/run.sh GAME SOAK FRAMES [SEED]" >&2
    exit 2
fi
game=$1 soak=$2 frames=$3 seed=${4:-4660}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" LIBGL_ALWAYS_SOFTWARE=1
# Mesa keeps allocations until the process ends and is unloaded before the
# leak check could name it, as in the display tests.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work=$(mktemp -d "${TMPDIR:-/tmp}/rezarudev-soak-XXXXXX")
failed() {
    echo "soak: $1 (files kept in $work)" >&2
    exit 1
}

# Each run starts from its own empty best score, so both start alike.
play() {
    local name=$1
    shift
    mkdir -p "$work/$name/data"
    ln -s "$source_dir"/data/*.ogg "$work/$name/data/"
    # A private X server: another window on a shared one would take the focus.
    local start=$SECONDS
    xvfb-run -a -n $((100 + $$ % 5000)) -s "-screen 0 1024x768x24" \
        /usr/bin/time -f "%M" -o "$work/$name.rss" "$game" --windowed --fast --data-dir "$work/$name" --trace "$work/$name.jsonl" "$@" \
        >"$work/$name.out" 2>&1 || failed "the $name run failed: $(tail -n 5 "$work/$name.out")"
    echo "soak: $name run: $(wc -l <"$work/$name.jsonl") frames in $((SECONDS - start)) s," \
         "peak memory $(($(tail -n 1 "$work/$name.rss") / 1024)) MB"
}

"$soak" replay "$seed" "$frames" >"$work/random.txt"
play recorded --replay "$work/random.txt" --record "$work/recording.txt"
traced=$(wc -l <"$work/recorded.jsonl")
((traced == frames)) || failed "the run ended after $traced frames, not $frames"
"$soak" check "$work/recorded.jsonl" || failed "the trace breaks the game's invariants"
play replayed --replay "$work/recording.txt"
cmp -s "$work/recorded.jsonl" "$work/replayed.jsonl" ||
    failed "replaying the recording gives another trace: $(cmp "$work/recorded.jsonl" "$work/replayed.jsonl" | head -n 1)"
rm -rf "$work"
