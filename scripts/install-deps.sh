#!/usr/bin/env bash
# Installs what the server needs to build, run and be tested on Debian 12.
set -euo pipefail

# The server's HTTP layer is Boost.Beast on Asio (headers only); cpp-httplib
# (with the TLS and brotli headers its package is configured for) is only
# the independent client of the HTTP tests and benchmarks.
packages=(
  build-essential cmake ninja-build pkg-config
  libboost1.81-dev zlib1g-dev
  libcpp-httplib-dev libssl-dev libbrotli-dev
  libpugixml-dev nlohmann-json3-dev libyaml-cpp-dev
  libjpeg62-turbo-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  curl chromium
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Node.js and npm, unless the machine has them already (from any source).
if ! command -v npm >/dev/null 2>&1; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends nodejs npm
fi

# The browser tests' driver, the icon font the client serves and the
# scripts of the ticker page.
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ ! -d "$root/node_modules/playwright-core" ] || [ ! -d "$root/node_modules/@fortawesome/fontawesome-free" ] \
   || [ ! -d "$root/node_modules/jquery" ] || [ ! -d "$root/node_modules/jquery-ui" ] \
   || [ "$root/package-lock.json" -nt "$root/node_modules/.package-lock.json" ]; then
  (cd "$root" && npm ci --no-audit --no-fund --loglevel=error)
fi

# The generated ticker page loads these beside itself (files/src/); the
# copies are not kept in git.
mkdir -p "$root/demo/files/src"
cp "$root/node_modules/jquery/dist/jquery.js" "$root/demo/files/src/jquery.js"
cp "$root/node_modules/jquery-ui/dist/jquery-ui.js" "$root/demo/files/src/jquery-ui.js"
