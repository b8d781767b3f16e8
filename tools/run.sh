#!/usr/bin/env bash
# Runs one of Vexlar's Windows programs here, the way the tests do:
#   bash tools/run.sh PROGRAM [ARGS...]
# PROGRAM is a program of the 64-bit build (vexlar-render, vexlar-host,
# vexlar-render-bench, a test program...), with or without ".exe". It is built
# first when it or something it depends on is missing or out of date; the run
# gets the build's Wine prefix, Wine's add-on prompts switched off, the C.UTF-8
# locale, and an X display (the one in DISPLAY, else a virtual one from Xvfb).
# Arguments that are absolute paths are handed over as Wine sees them
# (/tmp/x.png becomes Z:\tmp\x.png); relative paths work as they are, from
# the folder run.sh was called in. The build folder is build/ (VEXLAR_BUILD
# overrides it).
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: bash tools/run.sh PROGRAM [ARGS...]" >&2
  exit 2
fi
top=$(cd "$(dirname "$0")/.." && pwd)
name=${1%.exe}
shift
build=${VEXLAR_BUILD:-$top/build}/x86_64

bash "$top/tools/setup.sh" >/dev/null
log="$build.run-build.log"
mkdir -p "$(dirname "$log")"
if ! { cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" &&
  cmake --build "$build" -j 2 --target "$name"; } >"$log" 2>&1; then
  grep -vE '^\[[0-9]+/[0-9]+\] ' "$log" | tail -n 60 >&2
  echo "run: could not build $name (the whole log: $log)" >&2
  exit 1
fi
bash "$top/tools/wine-prefix.sh" "$build/wineprefix" >&2

args=()
for a in "$@"; do
  case "$a" in
  /*) args+=("Z:${a//\//\\}") ;;
  *) args+=("$a") ;;
  esac
done

run=(env VEXLAR_WINEPREFIX="$build/wineprefix" "$top/cmake/wine-run.sh" "$build/bin/$name.exe" "${args[@]}")
if [ -n "${DISPLAY:-}" ]; then
  exec "${run[@]}"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}"
