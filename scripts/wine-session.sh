#!/usr/bin/env bash
# Prepares and runs the pieces a test run under Wine needs, for the build folder $1 (x86_64:
# 64-bit Wine; i686: the 32-bit Wine tree, made first if missing), each with its own prefix,
# Xvfb and wineserver:
#   wine-session.sh <build-dir> start   makes the prefix if missing, starts Xvfb and wineserver
#   wine-session.sh <build-dir> stop    stops what start started
set -euo pipefail
BUILD_DIR="$(cd "$1" && pwd)"
action="$2"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/wine-env.sh"
if [ "$LANE_ARCH" = i686 ] && [ "$action" = start ]; then
  "$here/wine32-root.sh"
fi
state="$BUILD_DIR/wine"
mkdir -p "$state" "$HOME"

make_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  echo "Creating Wine prefix in $WINEPREFIX"
  "$WINE" wineboot -i >/dev/null 2>&1 || true
  "$WINESERVER" -w
  # Replace links into the home folder by real folders, so the prefix is self-contained.
  local user_dir
  for user_dir in "$WINEPREFIX"/drive_c/users/*/; do
    for link in "$user_dir"*; do
      if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
    done
  done
}

start_xvfb() {
  if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then return 0; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
      echo ":$n" >"$state/display"
      return 0
    fi
  done
  echo "Could not start Xvfb" >&2
  return 1
}

case "$action" in
  start)
    start_xvfb
    export DISPLAY="$(cat "$state/display")"
    make_prefix
    # Wine's own fonts (Tahoma and others, as on Windows) are not found by this Wine build:
    # give them to the prefix so that dialogs are laid out with the faces they ask for.
    if [ -d /usr/share/wine/fonts ]; then
      cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    # A persistent server makes each test program start in a fraction of a second; one that is
    # already running for this prefix (an earlier start) is kept.
    "$WINESERVER" -p 2>/dev/null || true
    # Without a window manager on Xvfb, let Wine draw captions and frames itself, so that
    # screenshots of dialogs show their captions.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
    # Japanese texts in Tahoma need a linked font, as on Japanese Windows: link the machine's
    # CJK font first.
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
      /t REG_MULTI_SZ /d 'DroidSansFallbackFull.ttf,Droid Sans Fallback\0MSGOTHIC.TTC,MS UI Gothic' /f \
      >/dev/null 2>&1 </dev/null || true
    # Start Wine's background services now, with their output away from the test runner:
    # CTest waits for every process that holds a test's output pipe, and a service started
    # by the first test would hold it until the server stops.
    "$WINE" wineboot >/dev/null 2>&1 </dev/null || true
    ;;
  stop)
    "$WINESERVER" -k 2>/dev/null || true
    if [ -f "$state/xvfb.pid" ]; then
      kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
      rm -f "$state/xvfb.pid" "$state/display"
    fi
    ;;
  *) echo "usage: $0 <build-dir> start|stop" >&2; exit 2 ;;
esac
