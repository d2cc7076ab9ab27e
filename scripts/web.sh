#!/usr/bin/env bash
# Builds the browser game and serves it on 127.0.0.1; open the address it
# prints. Any static server will do for build-web/web/ too.
#   scripts/web.sh [port, default 8000]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build web
scripts/build-web.sh
exec node scripts/serve.mjs build-web/web "${1:-8000}"
