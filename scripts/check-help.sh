#!/usr/bin/env bash
# Checks compiled help files: each ScanToBrellix_<suffix>.chm in the given folder is a CHM
# archive (ITSF header) that chmls can read, its directory lists every page of its project, and
# every page, the stylesheet and the table of contents come out byte for byte as written.
# Usage: scripts/check-help.sh <folder with the .chm files> <help source folder> <suffix>...
set -euo pipefail
chm_folder="$1"
source_root="$2"
shift 2
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for suffix in "$@"; do
  chm="$chm_folder/ScanToBrellix_$suffix.chm"
  failures_before=$failures
  source="$source_root/$suffix"
  if [ ! -s "$chm" ]; then fail "$chm is missing or empty"; continue; fi
  [ "$(head -c 4 "$chm")" = "ITSF" ] || fail "$chm has no CHM header"
  listing="$(chmls -n list "$chm" 2>/dev/null)" || { fail "chmls cannot list $chm"; continue; }
  # The pages named in the project's [FILES] section, and its table of contents.
  pages="$(sed -n '/^\[FILES\]/,/^\[/{/^\[/d;/^\s*$/d;p}' "$source/ScanToBrellix_$suffix.hhp" | tr -d '\r')"
  [ -n "$pages" ] || fail "$suffix: the project lists no pages"
  for page in $pages toc.hhc; do
    if ! grep -qx "/$page" <<<"$listing"; then fail "$suffix: $page is not in $chm"; continue; fi
    chmls extract "$chm" "/$page" "$scratch/$page" >/dev/null 2>&1 || { fail "$suffix: cannot extract $page"; continue; }
    cmp -s "$scratch/$page" "$source/$page" || fail "$suffix: $page differs from its source"
  done
  # Every link of the table of contents names a page inside the archive.
  for local in $(grep -o 'name="Local" value="[^"]*"' "$source/toc.hhc" | sed 's/.*value="//;s/"$//'); do
    grep -qx "/$local" <<<"$listing" || fail "$suffix: the contents name $local, which is not in $chm"
  done
  [ "$failures" -eq "$failures_before" ] && echo "ok: ScanToBrellix_$suffix.chm ($(wc -w <<<"$pages") files)"
done
[ "$failures" -eq 0 ]
