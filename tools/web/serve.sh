#!/usr/bin/env bash
# Serves the browser version that tools/web/build.sh made, on this machine
# only. Usage: tools/web/serve.sh [PORT]  (default: 8080)
set -euo pipefail
cd "$(dirname "$0")/../.."
port=${1:-8080}
site=${REZARUDEV_WEB_SITE:-build-web}
if [[ ! -f $site/index.html || ! -f $site/rezarudev.wasm ]]; then
    echo "serve.sh: no page in $site yet; run tools/web/build.sh first" >&2
    exit 1
fi
echo "Rezarudev: http://127.0.0.1:$port/"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site"
