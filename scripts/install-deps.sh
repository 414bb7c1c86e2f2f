#!/usr/bin/env bash
# Installs what the server needs to build, run and be tested on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libcpp-httplib-dev libssl-dev libbrotli-dev zlib1g-dev
  libpugixml-dev nlohmann-json3-dev libyaml-cpp-dev
  libjpeg62-turbo-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  curl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
