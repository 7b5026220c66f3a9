#!/usr/bin/env bash
# Builds one MSI package of the plug-in with wixl (msitools) from package/PluginForBrellix.wxs.
# Usage: scripts/build-msi.sh <x86|x64> <version> <type library version> <folder with the files> <output.msi>
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch="$1" version="$2" typelib_version="$3" files="$4" output="$5"
output="$(realpath -m "$output")"
mkdir -p "$(dirname "$output")"
# wixl finds the files named in the source relative to its working folder.
cd "$files"
wixl --arch "$arch" -D Arch="$arch" -D Version="$version" -D TypeLibVersion="$typelib_version" -D Bin=. \
     -o "$output.tmp" "$root/package/PluginForBrellix.wxs"
# wixl writes the root HKMU as 4, a value Windows Installer does not know; -1 is HKMU: the
# user's keys for a per-user installation, the machine's for a per-machine one.
msibuild "$output.tmp" -q 'UPDATE `Registry` SET `Root` = -1 WHERE `Root` = 4'
mv "$output.tmp" "$output"
