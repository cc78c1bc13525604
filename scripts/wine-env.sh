# Sourced by the scripts: quiet Wine, the loader per architecture, and a
# prefix per architecture.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

# wine_loader ARCH: the Wine loader that runs programs of that architecture.
# Debian's `wine` script always starts the 32-bit loader when wine32 is
# installed; 64-bit programs go straight to wine64.
wine_loader() {
  if [ "$1" = x86_64 ] && [ -x /usr/lib/wine/wine64 ]; then
    echo /usr/lib/wine/wine64
  else
    echo wine
  fi
}

# can_run_arch ARCH: whether this machine can start that architecture's
# Wine at all (some kernels are built or booted without 32-bit support).
can_run_arch() {
  if [ "$1" = i686 ]; then
    /usr/lib/wine/wine --version >/dev/null 2>&1
  else
    "$(wine_loader "$1")" --version >/dev/null 2>&1
  fi
}

# wine_prefix_ready ARCH PREFIX: creates the prefix once (a 32-bit prefix for
# i686, so the 32-bit build runs on a pure 32-bit Windows as it targets).
wine_prefix_ready() {
  local arch=$1 prefix=$2 winearch=win64
  [ "$arch" = i686 ] && winearch=win32
  if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    WINEARCH=$winearch WINEPREFIX="$prefix" "$(wine_loader "$arch")" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w || true
  fi
  # Under Xvfb there is no window manager, and Wine waits two seconds for
  # one to withdraw each managed top-level window it destroys. The
  # randomized editor round trip and the library's unload under five hundred
  # Properties sheets open and close hundreds of sheets, and the preview
  # window tests open and close a window per case, so their programs'
  # windows are not handed to a window manager at all.
  local program
  for program in editor_page.exe shell_sheet_unload.exe preview_tests.exe; do
    if [ -f "$prefix/user.reg" ] && ! grep -q "$program" "$prefix/user.reg"; then
      WINEPREFIX="$prefix" "$(wine_loader "$arch")" reg add \
        "HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver" /v Managed /d N /f \
        >/dev/null 2>&1 || true
      WINEPREFIX="$prefix" wineserver -w || true
    fi
  done
  [ -f "$prefix/system.reg" ]
}
