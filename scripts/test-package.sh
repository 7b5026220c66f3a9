#!/usr/bin/env bash
# Installs the MSI package the way a user does, in a fresh Wine prefix of its own (never the test
# suite's shared one), and checks what it leaves behind:
#   - per user (the default, no ALLUSERS): files under %LOCALAPPDATA%\Programs, the class, its
#     ProgIDs, the type library and its interface under HKCU\Software\Classes, the same keys and
#     values as `regsvr32 /n /i:user` writes; uninstall removes every file and key;
#   - for all users (ALLUSERS=1): the same keys and values as regsvr32 writes; an independent
#     client (VBScript under cscript) creates the object and reads its identity, and the
#     command-line host saves a job through the installed DLL; uninstall removes every file and
#     key and leaves the user's settings file;
#   - a major upgrade from an older package keeps the settings file and leaves one product and
#     one registration.
# Usage: scripts/test-package.sh <build dir> <package.msi> <older package.msi>
# WINE (and WINESERVER) may name the Wine of another lane; the default is 64-bit Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
package="$(realpath "$2")"
older="$(realpath "$3")"
wine_override="${WINE:-}" wineserver_override="${WINESERVER:-}"
BUILD_DIR="$build"
. "$root/scripts/wine-env.sh"   # DISPLAY of the running session, WINEDEBUG, WINEDLLOVERRIDES
[ -n "$wine_override" ] && WINE="$wine_override"
[ -n "$wineserver_override" ] && WINESERVER="$wineserver_override"

scratch="$build/package-test/$(basename "$package" .msi)"
rm -rf "$scratch"
mkdir -p "$scratch/home"
export WINEPREFIX="$scratch/prefix" HOME="$scratch/home"
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
w() { "$WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
winpath() { w winepath -w "$1"; }

"$WINE" wineboot -i >/dev/null 2>&1 || true
"$WINESERVER" -w
w reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
"$WINESERVER" -p 2>/dev/null || true

drive_c="$WINEPREFIX/drive_c"
user_dir="$(ls -d "$drive_c"/users/*/ | grep -v /Public/ | head -1)"
user_dir="${user_dir%/}"
user_name="$(basename "$user_dir")"
settings="$user_dir/AppData/Roaming/Orvane/PluginForBrellix/PluginForBrellix.xml"
case "$(basename "$package")" in
  *-x64.msi) machine_folder="$drive_c/Program Files/Orvane/PluginForBrellix" ;;
  *) if [ -d "$drive_c/Program Files (x86)" ]; then machine_folder="$drive_c/Program Files (x86)/Orvane/PluginForBrellix"
     else machine_folder="$drive_c/Program Files/Orvane/PluginForBrellix"; fi ;;
esac
user_folder="$user_dir/AppData/Local/Programs/Orvane/PluginForBrellix"
shipped=(PluginForBrellix.dll PluginForBrellix.loc PluginForBrellix.ico
         ScanToBrellix_EN.chm ScanToBrellix_JP.chm ScanToBrellix_GE.chm ScanToBrellix_FR.chm)

class_id='{581915C2-6123-4066-848D-4C013413F7AA}'
library_id='{70698EDB-89E8-489A-AA50-D90D03208552}'
interface_id='{5146CF3A-8C64-4497-A05A-BC941E3096B8}'
class_keys=("CLSID\\$class_id" PluginForBrellix.Main.1 PluginForBrellix.Main)
library_keys=("TypeLib\\$library_id" "Interface\\$interface_id")

# Every key below the given classes root ("HKLM\Software\Classes" or "HKCU\Software\Classes"),
# with its values, as "key|name|type|data" lines relative to the root, sorted.
dump_keys() {
  local classes="$1"
  shift
  local key
  for key in "$@"; do
    { w reg query "$classes\\$key" /s || true; } | awk -v root="$classes\\" '
      /^HKEY_/ { sub(/^HKEY_LOCAL_MACHINE\\/, "HKLM\\"); sub(/^HKEY_CURRENT_USER\\/, "HKCU\\");
                 key = substr($0, length(root) + 1); print key "|"; next }
      /^    / { line = substr($0, 5); n = index(line, "    "); name = substr(line, 1, n - 1);
                rest = substr(line, n + 4); m = index(rest, "    ");
                print key "|" name "|" substr(rest, 1, m - 1) "|" substr(rest, m + 4) }'
  done | sort
}
# The root for reg.exe, whose key names are case-insensitive: HKLM for the machine.
machine='HKLM\Software\Classes'
user='HKCU\Software\Classes'

# What the prefix holds: its files (without temporary and cache folders) and the classes roots.
snapshot() {
  # Windows Installer's own caches (windows\Installer, %APPDATA%\Microsoft\Installer) are the
  # installer service's, not the package's.
  (cd "$drive_c" && find . -path ./windows/temp -prune -o -path ./windows/Installer -prune \
     -o -path '*/AppData/Local/Temp' -prune -o -path '*/AppData/Roaming/Microsoft/Installer' -prune \
     -o -print | sort) >"$scratch/$1.files"
  local hive root
  for hive in machine user; do
    [ "$hive" = machine ] && root="$machine" || root="$user"
    # A root that does not exist (a fresh prefix has no user classes) exports as nothing.
    rm -f "$scratch/$1.$hive.reg"
    w reg export "$root" "$(winpath "$scratch/$1.$hive.reg")" /y >/dev/null || true
    [ -f "$scratch/$1.$hive.reg" ] || : >"$scratch/$1.$hive.reg"
  done
}
same_as_snapshot() {
  local before="$1" after="$2" what="$3" failures_before=$failures
  snapshot "$after"
  if ! diff -u "$scratch/$before.files" "$scratch/$after.files" >"$scratch/$after.files.diff"; then
    fail "$what: files left or changed: $(grep '^[-+]\.' "$scratch/$after.files.diff" | head -5 | tr '\n' ' ')"
  fi
  local hive
  for hive in machine user; do
    iconv -f UTF-16LE -t UTF-8 "$scratch/$before.$hive.reg" | tr -d '\r' >"$scratch/$before.$hive.txt"
    iconv -f UTF-16LE -t UTF-8 "$scratch/$after.$hive.reg" | tr -d '\r' >"$scratch/$after.$hive.txt"
    if ! diff -u "$scratch/$before.$hive.txt" "$scratch/$after.$hive.txt" >"$scratch/$after.$hive.diff"; then
      fail "$what: $hive classes differ: $(grep '^[-+]\[' "$scratch/$after.$hive.diff" | head -5 | tr '\n' ' ')"
    fi
  done
  [ "$failures" -eq "$failures_before" ] && ok "$what: no file and no key of the package left"
  return 0
}
expect_files() {
  local folder="$1" what="$2" file missing=0
  for file in "${shipped[@]}"; do
    [ -f "$folder/$file" ] || { fail "$what: $file is not installed in $folder"; missing=1; }
  done
  [ "$missing" -eq 0 ] && ok "$what: ${#shipped[@]} files in ${folder#"$drive_c"/}"
  return 0
}
msiexec() {
  local code=0
  "$WINE" msiexec "$@" </dev/null >/dev/null 2>&1 || code=$?
  return $code
}
compare_dumps() {
  if diff -u "$1" "$2" >"$2.diff"; then ok "$3"; else fail "$3:"; cat "$2.diff"; fi
}

pkg_win="$(winpath "$package")"
older_win="$(winpath "$older")"

# The package asks for no elevation (word count bit 8) and installs per user unless told.
# (msiinfo calls the word count "Source"; 8 is "elevation not required", 2 "compressed").
word_count="$(msiinfo suminfo "$package" | sed -n 's/^Source: \([0-9]*\).*/\1/p')"
if [ -n "$word_count" ] && [ $((word_count & 8)) -ne 0 ] && ! msiinfo export "$package" Property | grep -q '^ALLUSERS'; then
  ok "the package installs per user without administrator rights by default"
else
  fail "the package asks for elevation or sets ALLUSERS"
fi

# %LOCALAPPDATA%\Programs is the known folder of per-user programs, which Windows makes
# itself; a fresh Wine prefix lacks it.
mkdir -p "$user_dir/AppData/Local/Programs"
snapshot clean

# --- Per user ------------------------------------------------------------------------------
msiexec /i "$pkg_win" /qn || fail "per-user install ended with $?"
expect_files "$user_folder" "per-user install"
[ -d "$machine_folder" ] && fail "per-user install wrote into $machine_folder"
dump_keys "$user" "${class_keys[@]}" "${library_keys[@]}" >"$scratch/user.package.keys"
[ -s "$scratch/user.package.keys" ] || fail "per-user install wrote no key under $user"
[ -n "$(dump_keys "$machine" "${class_keys[@]}")" ] && fail "per-user install registered the class for the machine"
msiexec /x "$pkg_win" /qn || fail "per-user uninstall ended with $?"
same_as_snapshot clean user-uninstalled "per-user uninstall"

# Registration by hand, per user, of the same DLL at the same place, for comparison. Wine's
# per-user type-library registration is a stub that registers for the machine, so the type
# library's keys are taken from there.
mkdir -p "$user_folder"
cp "$build/bin/PluginForBrellix.dll" "$user_folder/"
dll_win="$(winpath "$user_folder/PluginForBrellix.dll")"
w regsvr32 /s /n /i:user "$dll_win" >/dev/null || fail "regsvr32 /n /i:user ended with $?"
{ dump_keys "$user" "${class_keys[@]}"; dump_keys "$machine" "${library_keys[@]}"; } | sort >"$scratch/user.regsvr32.keys"
compare_dumps "$scratch/user.regsvr32.keys" "$scratch/user.package.keys" \
  "per-user install writes the keys and values of regsvr32 /n /i:user"
w regsvr32 /s /u /n /i:user "$dll_win" >/dev/null || true
rm -rf "$user_dir/AppData/Local/Programs/Orvane"

# --- All users -----------------------------------------------------------------------------
msiexec /i "$pkg_win" ALLUSERS=1 /qn || fail "per-machine install ended with $?"
expect_files "$machine_folder" "per-machine install"
dump_keys "$machine" "${class_keys[@]}" "${library_keys[@]}" >"$scratch/machine.package.keys"
installed_dll="$(winpath "$machine_folder/PluginForBrellix.dll")"
installed_icon="$(winpath "$machine_folder/PluginForBrellix.ico")"
grep -qF "InprocServer32|(Default)|REG_SZ|$installed_dll" "$scratch/machine.package.keys" ||
  fail "the class does not name the installed DLL $installed_dll"

# The command-line host saves a job through the installed DLL.
scans="$drive_c/scans" sync="$user_dir/Brellix"
mkdir -p "$scans" "$sync"
printf '%%PDF-1.4\n%% package test\n%%%%EOF\n' >"$scans/page.pdf"
{ printf '\xff\xfe'; printf 'C:\\scans\\page.pdf\r\n' | iconv -f UTF-8 -t UTF-16LE; } >"$scans/filelist.txt"
w reg add 'HKCU\Software\Quontel\Brellix\General' /v DefaultSyncFolderPath /t REG_SZ \
  /d "C:\\users\\$user_name\\Brellix" /f >/dev/null
host_output="$(w "$build/bin/plrhost.exe" identity create-id execute 'C:\scans\filelist.txt' 0)" || true
echo "$host_output" | sed 's/^/  plrhost: /'
if [ -f "$sync/page.pdf" ] && [ -f "$settings" ] && grep -qF "$installed_icon" <<<"$host_output"; then
  ok "the command-line host saved a job through the installed DLL"
else
  fail "the command-line host did not save the job through the installed DLL"
fi
# An independent client: VBScript creates the object by its ProgID and reads the identity
# (through the host's interface, whose type library the host registered when it ran).
cat >"$scratch/identity.vbs" <<'VBS'
On Error Resume Next
Set plugin = CreateObject("PluginForBrellix.Main")
If Err.Number <> 0 Then
  WScript.Echo "CreateObject failed: " & Hex(Err.Number)
  WScript.Quit 2
End If
WScript.Echo "Name=" & plugin.Name
WScript.Echo "Version=" & plugin.Version
WScript.Echo "Icon=" & plugin.Icon
If Err.Number <> 0 Then
  WScript.Echo "call failed: " & Hex(Err.Number)
  WScript.Quit 3
End If
WScript.Quit 0
VBS
identity="$(w cscript //nologo "$(winpath "$scratch/identity.vbs")")" || fail "the VBScript client ended with $?"
echo "$identity" | sed 's/^/  cscript: /'
if grep -qx "Name=Pellora plug-in for Brellix" <<<"$identity" && grep -qxF "Icon=$installed_icon" <<<"$identity"; then
  ok "cscript creates the installed object and reads its identity"
else
  fail "cscript did not read the installed object's identity"
fi

cp "$settings" "$scratch/settings.before"

msiexec /x "$pkg_win" ALLUSERS=1 /qn || fail "per-machine uninstall ended with $?"
cmp -s "$settings" "$scratch/settings.before" && ok "uninstall leaves the settings file alone" ||
  fail "uninstall changed or removed the settings file"
# The host and the job left files and keys of their own here; the package's are checked by name.
left="$(dump_keys "$machine" "${class_keys[@]}" "${library_keys[@]}"; dump_keys "$user" "${class_keys[@]}" "${library_keys[@]}")"
if [ -z "$left" ] && [ ! -e "$(dirname "$machine_folder")" ]; then
  ok "per-machine uninstall removes the package's folder and keys"
else
  fail "per-machine uninstall left $(dirname "$machine_folder") or keys: $left"
fi

# Registration by hand of the same DLL at the same place, for comparison.
mkdir -p "$machine_folder"
cp "$build/bin/PluginForBrellix.dll" "$machine_folder/"
w regsvr32 /s "$installed_dll" >/dev/null || fail "regsvr32 ended with $?"
dump_keys "$machine" "${class_keys[@]}" "${library_keys[@]}" >"$scratch/machine.regsvr32.keys"
compare_dumps "$scratch/machine.regsvr32.keys" "$scratch/machine.package.keys" \
  "per-machine install writes the keys and values of regsvr32"
w regsvr32 /s /u "$installed_dll" >/dev/null || true
rm -rf "$(dirname "$machine_folder")"
rm -rf "$scans" "$sync"
w reg delete 'HKCU\Software\Quontel' /f >/dev/null || true
snapshot settings-only

# --- Major upgrade -------------------------------------------------------------------------
# Installed products of this name, as "Apps and features" lists them.
products() {
  { w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /v DisplayName || true; } |
    grep -c 'DisplayName    REG_SZ    PluginForBrellix$' || true
}
msiexec /i "$older_win" ALLUSERS=1 /qn || fail "install of the older package ended with $?"
[ "$(products)" -eq 1 ] || fail "the older package is not registered as one product"
msiexec /i "$pkg_win" ALLUSERS=1 /qn || fail "upgrade ended with $?"
expect_files "$machine_folder" "upgrade"
count="$(products)"
versions="$({ w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /v DisplayVersion || true; } |
  grep DisplayVersion | awk '{print $3}' | tr '\n' ' ')"
dump_keys "$machine" "${class_keys[@]}" "${library_keys[@]}" >"$scratch/upgrade.keys"
if [ "$count" -eq 1 ] && cmp -s "$scratch/upgrade.keys" "$scratch/machine.package.keys"; then
  ok "upgrade leaves one product ($versions) and one registration"
else
  fail "upgrade leaves $count products ($versions) or a registration other than a fresh install's"
fi
cmp -s "$settings" "$scratch/settings.before" && ok "upgrade keeps the settings file" || fail "upgrade changed the settings file"
msiexec /x "$pkg_win" ALLUSERS=1 /qn || fail "uninstall after the upgrade ended with $?"
[ "$(products)" -eq 0 ] || fail "a product is still registered after uninstall"
same_as_snapshot settings-only upgrade-uninstalled "uninstall after the upgrade"

echo "$failures failure(s)"
# A passing run leaves nothing behind (the prefix takes some 700 MB); a failing one keeps its
# prefix, snapshots and dumps for a look.
if [ "$failures" -eq 0 ]; then
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
  rm -rf "$scratch"
fi
[ "$failures" -eq 0 ]
