#!/usr/bin/env bash
# Builds the sound synthesiser and writes every effect and music track into data/.
# Usage: tools/make_sounds.sh [build folder]   (default: build-tools)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-tools}"
case "$build" in
  /*) ;;
  *) build="$root/$build" ;;
esac

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  generator=()
  if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
  fi
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target make_sounds -j2
"$build/tools/sounds/make_sounds" "$root/data"
