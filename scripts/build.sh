#!/usr/bin/env bash
# Configures and builds both architectures: build/x86_64 (with tests) and build/i686.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
for arch in x86_64 i686; do
  tests=ON
  [ "$arch" = i686 ] && tests=OFF
  if [ ! -f "$root/build/$arch/build.ninja" ]; then
    cmake -S "$root" -B "$root/build/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" -DPLUGIN_BUILD_TESTS=$tests >/dev/null
  fi
  cmake --build "$root/build/$arch"
done
