#!/usr/bin/env bash
# Builds the browser version into build-web/site/: index.html and its
# scripts, rezarudev.js, rezarudev.wasm and rezarudev.data (the sounds), the
# icons, the web app manifest and the service worker, and nothing else: the
# folder to publish on any static host. The libraries, sources and objects
# stay beside it in build-web/.
# The libraries come first (tools/web/build_libs.sh, which also installs the
# tool chain). Usage: tools/web/build.sh [BUILD_DIR]  (default: build-web)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath -m "${1:-build-web}")
site=$build/site
bash tools/web/build_libs.sh "$build"
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emcmake cmake -S . -B "$build/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release -DREZARUDEV_WERROR=ON \
    -DREZARUDEV_WEB_PREFIX="$build/prefix" -DREZARUDEV_WEB_SITE="$site" >/dev/null
nice -n 10 cmake --build "$build/cmake" -j "$(nproc)"
echo "The page is in $site (tools/web/serve.sh serves it)"
