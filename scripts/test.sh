#!/usr/bin/env bash
# Builds and runs every test in two lanes, one after the other: x86_64 under 64-bit Wine and
# i686 (the shipping DLL) under 32-bit Wine, each with its own prefix, Xvfb and wineserver,
# stopped again also when a test fails. The second lane runs when the first fails; the exit code
# is non-zero when either lane's build or tests fail.
# Usage: scripts/test.sh [--lane x86_64|i686] [ctest arguments]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
lanes=(x86_64 i686)
if [ "${1:-}" = --lane ]; then
  lanes=("${2:?--lane needs x86_64 or i686}")
  shift 2
fi

running=""
stop_running() {
  if [ -n "$running" ]; then "$root/scripts/wine-session.sh" "$running" stop; running=""; fi
}
trap stop_running EXIT

run_lane() {
  local arch="$1"; shift
  local build="$root/build/$arch" started=$SECONDS
  echo "=== $arch lane: build ==="
  "$root/scripts/build.sh" "$arch" || return 1
  echo "=== $arch lane: tests (built in $((SECONDS - started)) s) ==="
  started=$SECONDS
  running="$build"
  "$root/scripts/wine-session.sh" "$build" start || { stop_running; return 1; }
  local status=0
  (cd "$build" && ctest --output-on-failure "$@") || status=$?
  stop_running
  echo "=== $arch lane: tests $([ $status -eq 0 ] && echo passed || echo FAILED) in $((SECONDS - started)) s ==="
  return $status
}

failed=()
for arch in "${lanes[@]}"; do
  run_lane "$arch" "$@" || failed+=("$arch")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed lanes: ${failed[*]}" >&2
  exit 1
fi
echo "All lanes passed: ${lanes[*]}"
