#!/usr/bin/env bash
# Installs nginx and wrk for the HTTP benchmark only (nginx's service is
# never started: the benchmark runs nginx as its own process), builds and
# runs bench/http_nginx_bench: bench/http_nginx_bench.sh [build folder] [seconds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/test}"
seconds="${2:-10}"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for p in nginx-light wrk; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  # Keep the package's scripts from starting the service.
  guard=""
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee /usr/sbin/policy-rc.d >/dev/null
    $sudo chmod +x /usr/sbin/policy-rc.d
    guard=1
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  [ -z "$guard" ] || $sudo rm -f /usr/sbin/policy-rc.d
fi

"$root/scripts/build.sh" "$build"
"$build/bench/http_nginx_bench" "$seconds"
