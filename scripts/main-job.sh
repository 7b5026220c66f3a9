#!/usr/bin/env bash
# The main job: builds everything, installs the plug-in into the build's own Wine prefix and
# drives it through the command-line host (plrhost.exe), as the scanning host would.
#   - registers the x86_64 PluginForBrellix.dll with regsvr32
#   - copies the stand-in libraries to "C:\Program Files\Orvane\Shared Files\" of the prefix,
#     where the plug-in's log and localisation search find them
#   - prints the plug-in's identity and flags through plrhost
# Usage: scripts/main-job.sh [plrhost subcommands...]   (default: identity flags)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
build="$root/build/x86_64"
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
echo "Installed $dll (log: %LOCALAPPDATA%\\Orvane\\Logs\\orvinfolog.log of the prefix)"

if [ $# -eq 0 ]; then set -- identity flags; fi
"$WINE" "$build/bin/plrhost.exe" "$@" </dev/null
