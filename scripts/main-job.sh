#!/usr/bin/env bash
# The main job: builds the chosen architecture, installs the plug-in into that build's own Wine
# prefix and drives it through the command-line host (plrhost.exe), as the scanning host would.
#   - registers PluginForBrellix.dll with regsvr32: by default the i686 DLL in a 32-bit prefix
#     under 32-bit Wine (what the 32-bit scanning host loads), with --arch x86_64 the 64-bit twin
#     under 64-bit Wine
#   - copies the stand-in libraries to "C:\Program Files\Orvane\Shared Files\" of the prefix,
#     where the plug-in's log and localisation search find them
#   - without arguments: makes sample scan files, points the cloud client's sync-folder value
#     (HKCU "Software\Quontel\Brellix\General" "DefaultSyncFolderPath") at a sync folder in
#     the prefix, creates a job and saves the scans through Execute, then lists what was saved
#     where and prints the settings file
#   - dialogs appear on the user's display when DISPLAY is set and usable, on Xvfb otherwise
# Usage: scripts/main-job.sh [--arch i686|x86_64] [plrhost subcommands...]   (default: i686, the scan job above)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch=i686
if [ "${1:-}" = --arch ]; then
  arch="${2:?--arch needs i686 or x86_64}"
  shift 2
fi
"$root/scripts/build.sh" "$arch"
build="$root/build/$arch"
echo "Main job with the $arch PluginForBrellix.dll"

# A display that cannot be opened is no display: the session's Xvfb is used instead.
display_usable() {
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null 2>&1; then
    timeout 5 xdpyinfo >/dev/null 2>&1
  elif [[ "$DISPLAY" =~ ^:([0-9]+) ]]; then
    [ -S "/tmp/.X11-unix/X${BASH_REMATCH[1]}" ]
  else
    return 0
  fi
}
if display_usable; then
  shown_on="the display $DISPLAY"
else
  unset DISPLAY
  shown_on="Xvfb"
  # Nobody sees Xvfb: plrhost reports a dialog that waits there (its texts and a screenshot)
  # and closes it as Cancel or Abort would after this many seconds (PLRHOST_DIALOG_TIMEOUT=0:
  # never).
  export PLRHOST_DIALOG_TIMEOUT="${PLRHOST_DIALOG_TIMEOUT:-20}"
  export PLRHOST_SCREENSHOTS="${PLRHOST_SCREENSHOTS:-$build/screenshots/main-job}"
fi
trap '"$root/scripts/wine-session.sh" "$build" stop' EXIT
"$root/scripts/wine-session.sh" "$build" start

BUILD_DIR="$build"
. "$root/scripts/wine-env.sh"

shared="$WINEPREFIX/drive_c/Program Files/Orvane/Shared Files"
mkdir -p "$shared"
cp -f "$build/bin/standins/"*.dll "$shared/"

dll="$("$WINE" winepath -w "$build/bin/PluginForBrellix.dll" 2>/dev/null | tr -d '\r')"
if ! "$WINE" regsvr32 /s "$dll" </dev/null; then
  echo "regsvr32 failed for $dll" >&2
  exit 1
fi
log_linux="$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local 2>/dev/null | grep -v /Public/ | head -1)/Orvane/Logs/orvinfolog.log"
echo "Installed $dll"
echo "Log: %LOCALAPPDATA%\\Orvane\\Logs\\orvinfolog.log of the prefix, on Linux $log_linux"

echo "Dialogs appear on $shown_on (${DISPLAY:-})"
if [ -n "${PLRHOST_DIALOG_TIMEOUT:-}" ]; then
  echo "A dialog left waiting there is reported and closed as Cancel/Abort after ${PLRHOST_DIALOG_TIMEOUT} s (screenshots: $PLRHOST_SCREENSHOTS)"
fi
if [ $# -gt 0 ]; then
  "$WINE" "$build/bin/plrhost.exe" "$@" </dev/null
  exit $?
fi

# Sample scans, named per run so that a later run never collides with an earlier one (a
# collision would bring up the rename warning, which waits for OK).
user_home="$WINEPREFIX/drive_c/users/${USER:-$(id -un)}"
[ -d "$user_home" ] || user_home="$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v /Public/ | head -1)"
user_home="${user_home%/}"
user_name="$(basename "$user_home")"
stamp="$(date +%Y%m%d-%H%M%S)"
scans="$WINEPREFIX/drive_c/PluginMainJob/scans-$stamp"
sync="$user_home/Brellix"
mkdir -p "$scans" "$sync"
list="$scans/filelist.txt"
{
  printf '\xff\xfe'
  for n in 1 2 3; do
    name="scan-$stamp-$n.pdf"
    printf '%%PDF-1.4\n%% sample scan %s page %d\n%%%%EOF\n' "$stamp" "$n" >"$scans/$name"
    printf 'C:\\PluginMainJob\\scans-%s\\%s\r\n' "$stamp" "$name" | iconv -f UTF-8 -t UTF-16LE
  done
} >"$list"
sync_win="C:\\users\\$user_name\\Brellix"
"$WINE" reg add 'HKCU\Software\Quontel\Brellix\General' /v DefaultSyncFolderPath /t REG_SZ \
  /d "$sync_win" /f >/dev/null
echo "Sync folder: $sync_win ($sync)"
echo "Scans: C:\\PluginMainJob\\scans-$stamp (file list filelist.txt)"

"$WINE" "$build/bin/plrhost.exe" create-id execute "C:\\PluginMainJob\\scans-$stamp\\filelist.txt" 0 \
  </dev/null || echo "plrhost ended with $?"

echo
echo "Saved into the sync folder ($sync_win):"
(cd "$sync" && find . -type f -name "scan-$stamp-*" -printf '  %P  (%s bytes)\n' | sort)
settings="$user_home/AppData/Roaming/Orvane/PluginForBrellix/PluginForBrellix.xml"
echo
echo "Settings file (C:\\users\\$user_name\\AppData\\Roaming\\Orvane\\PluginForBrellix\\PluginForBrellix.xml):"
if [ -f "$settings" ]; then cat "$settings"; echo; else echo "  (none)"; fi
