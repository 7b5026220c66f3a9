#!/usr/bin/env bash
# Makes the 32-bit Wine used by the i686 test lane: Debian's i386 packages of the same Wine
# version as the machine's wine64, unpacked into a folder of their own and run there through
# chroot (scripts/wine32-exec.sh). The machine's installed packages, dpkg's configuration and
# apt's state are never touched: apt runs with a private state, cache and empty dpkg status
# under the cache folder, and nothing is installed with dpkg.
#   WINE32_CACHE   the cache folder (default: build/wine32 of the work tree); a second run
#                  finds the finished tree there and returns at once
# Prints nothing when the tree is already there.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cache="${WINE32_CACHE:-$root/build/wine32}"
tree="$cache/root"

wine_version="$(dpkg-query -W -f='${Version}' wine64 2>/dev/null || true)"
if [ -z "$wine_version" ]; then
  echo "wine64 is not installed: run scripts/install-deps.sh first" >&2
  exit 1
fi
# Beside Wine and a shell: xwd and convert, with which the UI tests' robot takes screenshots
# of the Xvfb screen from inside Wine.
tools=(x11-apps imagemagick-6.q16)
recipe="wine $wine_version; ${tools[*]}"
if [ -f "$tree/.ready" ] && [ "$(cat "$tree/.ready")" = "$recipe" ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Making the 32-bit Wine tree needs root (chroot)" >&2
  exit 1
fi

echo "Making 32-bit Wine $wine_version in $tree"
mkdir -p "$cache/apt/lists/partial" "$cache/apt/archives/partial" "$cache/debs"
: >"$cache/apt/status"
apt_options=(
  -q -o Dir::State="$cache/apt" -o Dir::State::Lists="$cache/apt/lists"
  -o Dir::State::status="$cache/apt/status" -o Dir::Cache="$cache/apt"
  -o Dir::Cache::archives="$cache/apt/archives"
  -o APT::Architecture=i386 -o APT::Architectures::=i386 -o Debug::NoLocking=1
  -o APT::Get::AllowUnauthenticated=false)
apt-get "${apt_options[@]}" update >"$cache/apt-update.log" 2>&1 || {
  cat "$cache/apt-update.log" >&2; exit 1; }

# The closure of what a 32-bit Wine and a minimal shell need, against an empty system.
apt-get "${apt_options[@]}" install -s --no-install-recommends \
  "wine32=$wine_version" "libwine=$wine_version" libc6 libc-bin dash coreutils "${tools[@]}" \
  >"$cache/closure.txt" 2>&1 || { cat "$cache/closure.txt" >&2; exit 1; }
mapfile -t wanted < <(sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) .*/\1=\2/p' "$cache/closure.txt")
[ ${#wanted[@]} -gt 0 ] || { echo "Empty package closure" >&2; exit 1; }

# Fetch what the cache does not hold yet (the apt's sandbox user cannot write root's
# folders, so downloads run as root without it).
missing=()
for entry in "${wanted[@]}"; do
  name="${entry%%=*}"; version="${entry#*=}"
  compgen -G "$cache/debs/${name}_${version//:/%3a}_*.deb" >/dev/null || missing+=("$entry")
done
if [ ${#missing[@]} -gt 0 ]; then
  (cd "$cache/debs" && apt-get "${apt_options[@]}" -o APT::Sandbox::User=root download \
     "${missing[@]}" >"$cache/download.log" 2>&1) || { cat "$cache/download.log" >&2; exit 1; }
fi

rm -rf "$tree.new"
mkdir -p "$tree.new"
for entry in "${wanted[@]}"; do
  name="${entry%%=*}"; version="${entry#*=}"
  dpkg -x "$(compgen -G "$cache/debs/${name}_${version//:/%3a}_*.deb" | head -1)" "$tree.new"
done

# What the packages' install scripts would have done and Wine needs.
[ -e "$tree.new/bin/sh" ] || ln -s dash "$tree.new/bin/sh"
# ImageMagick's "convert" is an alternatives link, made by its install script.
[ -e "$tree.new/usr/bin/convert" ] || ln -s convert-im6.q16 "$tree.new/usr/bin/convert"
for file in passwd group hosts nsswitch.conf; do
  [ -f "/etc/$file" ] && cp -f "/etc/$file" "$tree.new/etc/$file"
done
mkdir -p "$tree.new/tmp" "$tree.new/proc" "$tree.new/dev" "$tree.new/sys" "$tree.new/root"
chmod 1777 "$tree.new/tmp"
chroot "$tree.new" /sbin/ldconfig
# libwine's install script copies MinGW's zlib1.dll into Wine's DLL folder marked as a
# builtin DLL (the 64-byte DOS header, then "Wine builtin DLL" padded with NULs to offset 96,
# then the rest); Wine's user32 does not load without it.
zlib_source="$(compgen -G "$tree.new/usr/i686-w64-mingw32/lib/zlib1.dll" | head -1 || true)"
wine_dlls="$tree.new/usr/lib/i386-linux-gnu/wine/i386-windows"
if [ -n "$zlib_source" ] && [ -d "$wine_dlls" ] && [ ! -s "$wine_dlls/zlib1.dll" ]; then
  {
    head -c 64 "$zlib_source"
    printf 'Wine builtin DLL'
    head -c 16 /dev/zero
    tail -c +97 "$zlib_source"
  } >"$wine_dlls/zlib1.dll"
fi
echo "$recipe" >"$tree.new/.ready"
rm -rf "$tree"
mv "$tree.new" "$tree"
echo "32-bit Wine ready ($(du -sm "$tree" | cut -f1) MB in $tree)"
