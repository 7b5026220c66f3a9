#!/usr/bin/env bash
# Runs a program of the 32-bit Wine tree (scripts/wine32-root.sh) in that tree: a private mount
# namespace binds /proc, /dev, /sys, /tmp (X displays, wineserver sockets) and the work tree (and
# the build folder, when it lies elsewhere) at the same paths inside, then chroot runs the program
# with the current folder and the Wine variables of the caller. The binds vanish with the last
# process of the namespace, so nothing stays mounted on the machine, also after a failure.
# Usage: wine32-exec.sh /usr/lib/wine/wine|/usr/lib/wine/wineserver32 [arguments]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tree="${WINE32_CACHE:-$root/build/wine32}/root"
if [ ! -f "$tree/.ready" ]; then
  echo "No 32-bit Wine in $tree: run scripts/wine32-root.sh" >&2
  exit 1
fi

# The caller's folders that the program must see at the same place.
shared=("$root")
[ -n "${BUILD_DIR:-}" ] && [[ "$BUILD_DIR/" != "$root/"* ]] && shared+=("$BUILD_DIR")
[ -n "${WINEPREFIX:-}" ] && [[ "$WINEPREFIX/" != "$root/"* ]] && shared+=("$WINEPREFIX")
# The X authority file of a user's display (the main job shows its dialogs there).
[ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ] && shared+=("$XAUTHORITY")

environment=(PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin)
while IFS='=' read -r name _; do
  case "$name" in
    # Not WINE and WINESERVER: they name this lane's wrappers, which only work outside.
    WINEPREFIX|WINEARCH|WINEDEBUG|WINEDLLOVERRIDES|DISPLAY|XAUTHORITY|HOME|LANG|LC_*|TZ|ORV*|GTEST_*|PLRHOST_*)
      environment+=("$name=${!name}") ;;
  esac
done < <(env)

exec unshare --mount --propagation private -- /bin/bash -c '
  set -e
  tree="$1"; shift; count="$1"; shift
  for what in proc dev sys tmp; do mount --rbind "/$what" "$tree/$what"; done
  for ((i = 0; i < count; i++)); do
    if [ -d "$1" ]; then
      mkdir -p "$tree$1"
    else
      mkdir -p "$(dirname "$tree$1")"
      touch "$tree$1"
    fi
    mount --bind "$1" "$tree$1"
    shift
  done
  exec chroot "$tree" /usr/bin/env -i -C "$PWD" "$@"
' wine32-exec "$tree" "${#shared[@]}" "${shared[@]}" "${environment[@]}" "$@"
