#!/usr/bin/env bash
# Serves the browser version that tools/web/build.sh made (build-web/site),
# on this machine only: 127.0.0.1 counts as a secure origin, so the service
# worker runs and the page plays offline after one visit.
# Usage: tools/web/serve.sh [PORT]  (default: 8080)
set -euo pipefail
cd "$(dirname "$0")/../.."
port=${1:-8080}
site=${REZARUDEV_WEB_SITE:-build-web/site}
if [[ ! -f $site/index.html || ! -f $site/rezarudev.wasm ]]; then
    echo "serve.sh: no page in $site yet; run tools/web/build.sh first" >&2
    exit 1
fi
echo "Rezarudev: http://127.0.0.1:$port/"
# The types set here, not taken from the system's tables: browsers compile a
# .wasm as it streams in only when it comes as application/wasm.
exec python3 - "$port" "$site" <<'SERVE'
import functools, http.server, sys
class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map, **{
        '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json', '.js': 'text/javascript',
        '.data': 'application/octet-stream', '.html': 'text/html', '.png': 'image/png'})
handler = functools.partial(Handler, directory=sys.argv[2])
try:
    http.server.ThreadingHTTPServer(('127.0.0.1', int(sys.argv[1])), handler).serve_forever()
except KeyboardInterrupt:
    pass
SERVE
