# Sourced: the environment of the project's own Wine prefix, under the build folder.
# BUILD_DIR must name the x86_64 build folder.
export WINEPREFIX="$BUILD_DIR/wine/prefix"
# Wine links the prefix's Documents and Desktop to $HOME: give it a home of its own so that
# tests never touch the user's folders.
export HOME="$BUILD_DIR/wine/home"
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree=;mshtml="
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
if [ -z "${DISPLAY:-}" ] && [ -f "$BUILD_DIR/wine/display" ]; then
  export DISPLAY="$(cat "$BUILD_DIR/wine/display")"
fi
