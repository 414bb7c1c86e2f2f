#!/usr/bin/env bash
# Installs, builds and runs every test: once in an ordinary build and once
# under AddressSanitizer and UndefinedBehaviorSanitizer. The optimised
# server that scripts/run-demo.sh starts is built too, so it keeps building.
# Every stage runs even when an earlier one failed; the script fails at the
# end and names the stages that failed.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" || { echo "test.sh: installing the dependencies failed" >&2; exit 1; }

failed=()
# stage NAME COMMAND...: runs the command, records NAME when it fails.
stage() {
  local name="$1"; shift
  local start=$SECONDS
  echo "=== $name"
  if "$@"; then
    echo "=== $name: passed ($((SECONDS - start)) s)"
  else
    echo "=== $name: FAILED ($((SECONDS - start)) s)"
    failed+=("$name")
  fi
}

build_and_test() {
  local dir="$1"; shift
  "$root/scripts/build.sh" "$dir" "$@" && (cd "$dir" && ctest --output-on-failure)
}

stage "ordinary build and tests" build_and_test "$root/build/test"

sanitized() {
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    build_and_test "$root/build/asan" -DTESS_SANITIZE=ON
}
stage "sanitizer build and tests" sanitized

release() {
  cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    ninja -C "$root/build/release" tessarine
}
stage "release build" release

if [ ${#failed[@]} -gt 0 ]; then
  echo "test.sh: FAILED: $(printf '%s; ' "${failed[@]}" | sed 's/; $//')" >&2
  exit 1
fi
echo "test.sh: all stages passed"
