#!/usr/bin/env bash
# Builds the browser version into build-web/: index.html and its scripts,
# rezarudev.js, rezarudev.wasm and rezarudev.data (the sounds), ready for any
# static host.
# The libraries come first (tools/web/build_libs.sh, which also installs the
# tool chain). Usage: tools/web/build.sh [BUILD_DIR]  (default: build-web)
set -euo pipefail
cd "$(dirname "$0")/../.."
site=$(realpath -m "${1:-build-web}")
bash tools/web/build_libs.sh "$site"
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emcmake cmake -S . -B "$site/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release -DREZARUDEV_WERROR=ON \
    -DREZARUDEV_WEB_PREFIX="$site/prefix" -DREZARUDEV_WEB_SITE="$site" >/dev/null
nice -n 10 cmake --build "$site/cmake" -j "$(nproc)"
echo "The page is in $site (tools/web/serve.sh serves it)"
