#!/usr/bin/env bash
# Creates the Wine prefix the 64-bit test programs run in (once; it lives in
# the build folder). The .NET and HTML add-on installers are switched off so
# the first start never waits for a click.
set -u
prefix=$1
[ -f "$prefix/system.reg" ] && exit 0
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
echo "== creating Wine prefix (first start takes a while)"
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
/usr/lib/wine/wineserver -w
