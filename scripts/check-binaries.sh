#!/usr/bin/env bash
# Checks the built deliverables without running them: right machine type,
# no MinGW runtime DLL imported (they must run on a bare Windows), and the
# library's entry points exported by their plain, undecorated names.
# Usage: scripts/check-binaries.sh BUILD_DIR ARCH
set -uo pipefail
build=$1 arch=$2
case "$arch" in
  i686) objdump=i686-w64-mingw32-objdump; machine="pei-i386" ;;
  x86_64) objdump=x86_64-w64-mingw32-objdump; machine="pei-x86-64" ;;
  *) echo "unknown architecture $arch"; exit 2 ;;
esac

fail=0 checked=0
while IFS= read -r -d '' bin; do
  name=$(basename "$bin")
  checked=$((checked + 1))
  if ! $objdump -f "$bin" | grep -q "file format $machine"; then
    echo "FAIL $name: not a $machine image"; fail=1
  fi
  if $objdump -p "$bin" | grep -iE 'DLL Name: (libgcc|libstdc|libwinpthread)' >/dev/null; then
    echo "FAIL $name: imports a MinGW runtime DLL"; fail=1
  fi
  if [ "$name" = Taskel.dll ]; then
    exports=$($objdump -p "$bin" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')
    for fn in NewCommandW EditCommandW RunCommandW NewCommand EditCommand RunCommand; do
      if ! grep -qE "\] $fn\$" <<<"$exports"; then
        echo "FAIL $name: export $fn missing or decorated"; fail=1
      fi
    done
  fi
done < <(find "$build" -maxdepth 3 \( -name 'Taskel.dll' -o -name 'Jotwell.dll' -o -name 'ZELK.exe' -o -name 'ZELKadmin.exe' \) -print0)

echo "$checked deliverables checked"
if [ $fail -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; fi
exit $fail
