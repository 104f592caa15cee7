#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. Any arguments go to
# the game (try --windowed).
set -euo pipefail
cd "$(dirname "$0")"
bash tools/install_deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREZARUDEV_TESTS=OFF -DREZARUDEV_BENCH=OFF \
      -DREZARUDEV_TOOLS=OFF >/dev/null
cmake --build build --target rezarudev
exec ./build/rezarudev "$@"
