#!/usr/bin/env bash
# The module's main job, set-up included: builds Vexlar.dll and the demo host
# for 64-bit Windows, then runs the host under wine64 and Xvfb.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/setup.sh
build=${VEXLAR_BUILD:-$top/build}/x86_64
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target Vexlar vexlar-host >/dev/null
bash tools/wine-prefix.sh "$build/wineprefix"
# Run from the top folder: script and drawing paths are relative to it, and
# the picture lands in out/ (git ignores it). Vexlar.dll is found next to
# the host program.
xvfb-run -a -s "-screen 0 1280x1024x24" env VEXLAR_WINEPREFIX="$build/wineprefix" \
  "$top/cmake/wine-run.sh" "$build/bin/vexlar-host.exe" "$@"
