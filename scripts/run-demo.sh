#!/usr/bin/env bash
# Installs, builds and starts the server on the demo installation.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=Release
exec "$root/build/release/server/tessarine" "$root/demo"
