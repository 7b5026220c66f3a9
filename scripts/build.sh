#!/usr/bin/env bash
# Configures and builds both architectures, each with its test programs: build/x86_64 (tested
# under 64-bit Wine) and build/i686 (the shipping DLL, tested under 32-bit Wine).
# Usage: scripts/build.sh [x86_64|i686]...   (default: both)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
arches=("$@")
[ ${#arches[@]} -gt 0 ] || arches=(x86_64 i686)
for arch in "${arches[@]}"; do
  case "$arch" in
    x86_64|i686) ;;
    *) echo "unknown architecture: $arch (x86_64 or i686)" >&2; exit 2 ;;
  esac
  # A build folder configured without tests (earlier scripts built i686 so) is configured again.
  if [ ! -f "$root/build/$arch/build.ninja" ] ||
     grep -q '^PLUGIN_BUILD_TESTS:BOOL=OFF' "$root/build/$arch/CMakeCache.txt" 2>/dev/null; then
    cmake -S "$root" -B "$root/build/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" -DPLUGIN_BUILD_TESTS=ON >/dev/null
  fi
  cmake --build "$root/build/$arch"
done
