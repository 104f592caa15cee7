#!/usr/bin/env bash
# Installs what is missing, builds the score board and starts it in the
# source folder: http://127.0.0.1:8080/ then serves the browser build's site
# (build-web/site, made by tools/web/build.sh) and the API on one origin, and
# keeps the games in rezarudev-board.db. Any arguments go to the board (--help).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install_deps.sh
cmake -S . -B build-board -G Ninja -DCMAKE_BUILD_TYPE=Release -DREZARUDEV_TESTS=OFF -DREZARUDEV_BENCH=OFF \
      -DREZARUDEV_TOOLS=OFF >/dev/null
cmake --build build-board --target rezarudev_board
exec ./build-board/server/rezarudev-board "$@"
