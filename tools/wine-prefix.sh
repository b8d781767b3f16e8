#!/usr/bin/env bash
# Creates the Wine prefix the 64-bit test programs run in (once; it lives in
# the build folder). The .NET and HTML add-on installers are switched off so
# the first start never waits for a click.
set -u
prefix=$1
# Windows with a title bar (the action editor dialogs) are framed by Wine
# itself, not left to an X window manager: under Xvfb there is none, and Wine
# would wait two seconds for one every time such a window is hidden.
unmanaged_windows() {
  grep -q '^"Managed"="N"' "$prefix/user.reg" 2>/dev/null && return 0
  WINEPREFIX="$prefix" WINEDEBUG=-all /usr/lib/wine/wine64 reg add \
    'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w
}
if [ -f "$prefix/system.reg" ]; then
  unmanaged_windows
  exit 0
fi
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
echo "== creating Wine prefix (first start takes a while)"
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
/usr/lib/wine/wineserver -w
unmanaged_windows
