#!/usr/bin/env bash
# Installs, builds the server (only the server and its resources) and starts
# it on a working copy of the demo installation: build/demo, made from demo/
# on the first start and kept between starts, so what operators change while
# trying the demo never touches the tracked files. Remove build/demo to start
# over from demo/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$root/build/release" tessarine
work="$root/build/demo"
if [ ! -d "$work" ]; then
  mkdir -p "$root/build"
  rm -rf "$work.partial"
  cp -a "$root/demo" "$work.partial"
  mv "$work.partial" "$work"
fi
exec "$root/build/release/server/tessarine" "$work"
