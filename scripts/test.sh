#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb. Usage: scripts/test.sh [ctest args]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
build="$root/build/x86_64"
trap '"$root/scripts/wine-session.sh" "$build" stop' EXIT
"$root/scripts/wine-session.sh" "$build" start
cd "$build"
ctest --output-on-failure "$@"
