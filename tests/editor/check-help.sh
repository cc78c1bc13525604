#!/usr/bin/env bash
# The compiled help file holds the popup topic file, and every help id the
# sheet asks for (its buttons: 1001-1005) leads to a topic in it.
set -euo pipefail
chm=$1
command -v extract_chmLib >/dev/null || { echo "extract_chmLib missing (package libchm-bin)"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
extract_chmLib "$chm" "$out" >/dev/null
popups="$out/TextPopups.txt"
[ -f "$popups" ] || { echo "TextPopups.txt is not in $chm"; exit 1; }
status=0
for id in 1001 1002 1003 1004 1005; do
  if ! grep -qx ".topic $id" <(tr -d '\r' < "$popups"); then
    echo "help id $id has no popup topic"
    status=1
  fi
done
[ $status -eq 0 ] && echo "all sheet help ids have popup topics"
exit $status
