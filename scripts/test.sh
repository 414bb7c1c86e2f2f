#!/usr/bin/env bash
# Installs, builds and runs every test: once in an ordinary build and once
# under AddressSanitizer and UndefinedBehaviorSanitizer. The optimised
# server that scripts/run-demo.sh starts is built too, so it keeps building.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

"$root/scripts/build.sh" "$root/build/test"
(cd "$root/build/test" && ctest --output-on-failure)

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$root/scripts/build.sh" "$root/build/asan" -DTESS_SANITIZE=ON
(cd "$root/build/asan" && ctest --output-on-failure)

cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$root/build/release" tessarine
