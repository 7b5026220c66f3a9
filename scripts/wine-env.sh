# Sourced: the environment of the project's own Wine prefix, under the build folder.
# BUILD_DIR must name a build folder; its architecture (the CMake cache's PLUGIN_ARCH, else the
# folder's name) chooses the Wine: 64-bit Wine for x86_64, the 32-bit Wine tree of
# scripts/wine32-root.sh for i686.
export BUILD_DIR
export WINEPREFIX="$BUILD_DIR/wine/prefix"
# Wine links the prefix's Documents and Desktop to $HOME: give it a home of its own so that
# tests never touch the user's folders.
export HOME="$BUILD_DIR/wine/home"
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree=;mshtml="
LANE_ARCH="$(sed -n 's/^PLUGIN_ARCH:[A-Z]*=//p' "$BUILD_DIR/CMakeCache.txt" 2>/dev/null || true)"
[ -n "$LANE_ARCH" ] || LANE_ARCH="$(basename "$BUILD_DIR")"
if [ "$LANE_ARCH" = i686 ]; then
  wine_env_scripts="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
  export WINEARCH=win32
  export WINE="$wine_env_scripts/wine32/wine"
  export WINESERVER="$wine_env_scripts/wine32/wineserver"
else
  export WINE=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
fi
if [ -z "${DISPLAY:-}" ] && [ -f "$BUILD_DIR/wine/display" ]; then
  export DISPLAY="$(cat "$BUILD_DIR/wine/display")"
fi
