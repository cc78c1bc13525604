#!/usr/bin/env bash
# Checks the built deliverables without running them: right machine type,
# no MinGW runtime DLL imported (they must run on a bare Windows), and the
# libraries' entry points exported by their plain, undecorated names.
# Every deliverable is named on the command line; a missing or unreadable
# one fails the check, so it never passes without having looked at them all.
# Usage: scripts/check-binaries.sh ARCH DELIVERABLE...
set -uo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 ARCH DELIVERABLE..."
  exit 2
fi
arch=$1
shift
case "$arch" in
  i686) objdump=i686-w64-mingw32-objdump; machine="pei-i386" ;;
  x86_64) objdump=x86_64-w64-mingw32-objdump; machine="pei-x86-64" ;;
  *) echo "unknown architecture $arch"; exit 2 ;;
esac
if ! command -v "$objdump" >/dev/null; then
  echo "FAIL: $objdump not found"
  exit 1
fi

# check_one PATH: prints what it found; returns non-zero on any fault.
check_one() {
  local bin=$1 name headers imports exports fn ok=0
  name=$(basename "$bin")
  if [ ! -f "$bin" ]; then
    echo "FAIL $bin: missing"
    return 1
  fi
  if ! headers=$($objdump -f "$bin" 2>&1); then
    echo "FAIL $name: objdump cannot read it: $headers"
    return 1
  fi
  if ! grep -q "file format $machine\$" <<<"$headers"; then
    echo "FAIL $name: not a $machine image ($(sed -n 's/.*file format //p' <<<"$headers"))"
    ok=1
  fi
  imports=$($objdump -p "$bin")
  if grep -iE 'DLL Name: (libgcc|libstdc|libwinpthread)' <<<"$imports"; then
    echo "FAIL $name: imports a MinGW runtime DLL"
    ok=1
  fi
  if [ "$name" = Taskel.dll ]; then
    exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$imports")
    for fn in NewCommandW EditCommandW RunCommandW NewCommand EditCommand RunCommand; do
      if ! grep -qE "\] $fn\$" <<<"$exports"; then
        echo "FAIL $name: export $fn missing or decorated"
        ok=1
      fi
    done
  fi
  if [ "$name" = Jotwell.dll ]; then
    exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$imports")
    for fn in DllGetClassObject DllCanUnloadNow DllRegisterServer DllUnregisterServer JotwellProperties; do
      if ! grep -qE "\] $fn\$" <<<"$exports"; then
        echo "FAIL $name: export $fn missing or decorated"
        ok=1
      fi
    done
  fi
  if [ $ok -eq 0 ]; then
    local what="$machine, no MinGW runtime imports"
    [ "$name" = Taskel.dll ] && what="$what, six undecorated command exports"
    [ "$name" = Jotwell.dll ] && what="$what, five undecorated exports"
    echo "ok   $name: $what ($bin)"
  fi
  return $ok
}

failed=0
for bin in "$@"; do
  check_one "$bin" || failed=$((failed + 1))
done
echo "$# deliverables checked, $failed failed"
[ $failed -eq 0 ]
