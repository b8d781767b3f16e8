#!/usr/bin/env bash
# The module's main job, set-up included: builds Vexlar.dll, the demo host and
# every other tool for 64-bit Windows, then runs the host under wine64 and Xvfb.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/setup.sh
build=${VEXLAR_BUILD:-$top/build}/x86_64
# The module and every tool (the test programs are left to tools/test.sh).
# On failure the build's own messages are shown.
tools=(Vexlar)
for src in "$top"/tools/*.cpp "$top"/tools/portable/*.cpp; do
  tools+=("$(basename "${src%.cpp}")")
done
log="$build.demo-build.log"
mkdir -p "$build"
if ! { cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" &&
  cmake --build "$build" -j 2 --target "${tools[@]}"; } >"$log" 2>&1; then
  grep -vE '^\[[0-9]+/[0-9]+\] ' "$log" | tail -n 60 >&2
  echo "demo: the build failed (the whole log: $log)" >&2
  exit 1
fi
bash tools/wine-prefix.sh "$build/wineprefix"
# Run from the top folder: script and drawing paths are relative to it, and
# the picture lands in out/ (git ignores it). Vexlar.dll is found next to
# the host program.
xvfb-run -a -s "-screen 0 1280x1024x24" env VEXLAR_WINEPREFIX="$build/wineprefix" \
  "$top/cmake/wine-run.sh" "$build/bin/vexlar-host.exe" "$@"
