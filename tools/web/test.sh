#!/usr/bin/env bash
# Builds the browser version (tools/web/build.sh) and runs tests/web in
# headless Chromium, beside the desktop game of BUILD_DIR (default: build),
# which is built first when it is not there: the page must show the desktop's
# pictures and play the desktop's replays to the same traces.
# Usage: tools/web/test.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
desktop=$(realpath -m "${1:-build}")
start=$SECONDS
bash tools/web/build.sh build-web
if [[ ! -x $desktop/rezarudev || ! -x $desktop/tools/soak/soak ]]; then
    cmake -S . -B "$desktop" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$desktop" -j "$(nproc)" --target rezarudev soak
fi
export REZARUDEV_WEB_SITE=$PWD/build-web/site REZARUDEV_DESKTOP=$desktop
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
    XDG_RUNTIME_DIR="$(mktemp -d)"
    export XDG_RUNTIME_DIR
fi
# Debian's Python, which has Debian's selenium.
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" /usr/bin/python3 -m unittest discover -s tests/web -p 'test_*.py' -v
echo "web tests done in $((SECONDS - start)) s"
