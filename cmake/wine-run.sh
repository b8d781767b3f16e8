#!/usr/bin/env bash
# Runs one Windows program of the 64-bit build under wine64. The Wine prefix
# lives in the build folder (VEXLAR_WINEPREFIX, else next to the program's
# build tree), Wine's .NET/HTML add-on prompts are switched off so nothing
# waits for a click, and the locale is fixed: C.UTF-8 gives the ANSI code page
# 1252 and lets Wine create files whose names hold non-ASCII letters.
set -u
prog=$1
shift
if [ -z "${VEXLAR_WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$prog")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  VEXLAR_WINEPREFIX="$dir/wineprefix"
fi
export WINEPREFIX="$VEXLAR_WINEPREFIX"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
exec env LANG=C.UTF-8 LC_ALL=C.UTF-8 /usr/lib/wine/wine64 "$prog" "$@"
