#!/usr/bin/env bash
# Installs what building and testing needs on a fresh Debian 12 machine:
# the MinGW-w64 cross compilers, CMake, Ninja, Wine (64-bit and 32-bit),
# Xvfb for tests that need a display, GoogleTest's sources, the help
# compiler (chmcmd) with a reader that lists a compiled help file's contents,
# and NSIS (the setup program).
# Fast when everything is already present.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

have_cmd i686-w64-mingw32-g++-posix || need+=(mingw-w64)
have_cmd x86_64-w64-mingw32-g++-posix || need+=(mingw-w64)
have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)
have_cmd xvfb-run || need+=(xvfb)
have_cmd xauth || need+=(xauth)
have_cmd python3 || need+=(python3)
have_pkg googletest || need+=(googletest)
have_cmd chmcmd || need+=(fp-utils)
have_cmd extract_chmLib || need+=(libchm-bin)
have_cmd makensis || need+=(nsis)
# clang with libFuzzer and the sanitizers, for scripts/fuzz.sh
have_cmd clang++ || need+=(clang)
have_pkg libclang-rt-14-dev || need+=(libclang-rt-14-dev)
have_pkg wine64 || need+=(wine64 wine)
# 32-bit Wine is wanted but not required: the tests of the 32-bit build
# that need Wine are left out where it cannot be installed or started.
want32=()
have_pkg wine32:i386 || want32+=(wine32:i386)

if [ ${#need[@]} -eq 0 ] && [ ${#want32[@]} -eq 0 ]; then
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
# A mirror in the middle of a sync answers with index files of the wrong
# size for a few minutes; the update is tried again before giving up, and
# an update that still fails leaves the install to the indexes it has.
for attempt in 1 2 3 4 5; do
  if $SUDO apt-get update -qq; then break; fi
  echo "apt-get update failed (attempt $attempt); trying again in 20 s" >&2
  sleep 20
done
if [ ${#need[@]} -gt 0 ]; then
  # shellcheck disable=SC2068
  $SUDO apt-get install -y -qq --no-install-recommends $(printf '%s\n' "${need[@]}" | sort -u) >/dev/null
fi
if [ ${#want32[@]} -gt 0 ] &&
  ! $SUDO apt-get install -y -qq --no-install-recommends "${want32[@]}" >/dev/null; then
  echo "!! 32-bit Wine could not be installed: the i686 tests that need Wine will not run" >&2
fi
