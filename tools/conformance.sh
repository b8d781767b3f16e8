#!/usr/bin/env bash
# Scores Vexlar against an SVG reference suite (NAME.svg with NAME.png beside
# it and the suite's compare.py):
#   bash tools/conformance.sh SUITE_DIR [LIST]
# LIST names drawings relative to SUITE_DIR, one a line (default: every .svg
# below it). Builds the 64-bit vexlar-render, renders every drawing in one
# wine64 run (vexlar-render --batch, sized like the references), scores each
# picture with compare.py's own function in one python run, prints a table per
# top folder and a last line "conformance: N passed, M failed". A drawing that
# could not be rendered counts as failed. The drawings render in a Wine prefix
# of their own with the fonts of the suite's fonts/ folder installed (see
# tools/install-fonts.py). Pictures and results go to out/conformance/
# (VEXLAR_CONFORMANCE_OUT overrides): results.txt holds one line per drawing,
# "PATH pass|fail SHARE" (SHARE "render-failed" when there is no picture),
# sorted, to diff between two runs.
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: bash tools/conformance.sh SUITE_DIR [LIST]" >&2
  exit 2
fi
top=$(cd "$(dirname "$0")/.." && pwd)
suite=$(cd "$1" && pwd)
[ -f "$suite/compare.py" ] || { echo "conformance: no compare.py in $suite" >&2; exit 2; }
out=${VEXLAR_CONFORMANCE_OUT:-$top/out/conformance}
mkdir -p "$out"
out=$(cd "$out" && pwd)
list="$out/list.txt"
if [ $# -eq 2 ]; then
  grep -v -e '^[[:space:]]*$' -e '^#' "$2" | sed 's/\r$//' >"$list.tmp"
else
  (cd "$suite" && find . -name '*.svg' | sed 's|^\./||' | LC_ALL=C sort) >"$list.tmp"
fi
mv "$list.tmp" "$list"

build=${VEXLAR_BUILD:-$top/build}/x86_64
bash "$top/tools/setup.sh" >/dev/null
if ! { cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" &&
  cmake --build "$build" -j 2 --target vexlar-render; } >"$out/build.log" 2>&1; then
  tail -n 40 "$out/build.log"
  echo "conformance: the build failed (log: $out/build.log)" >&2
  exit 1
fi
# A prefix of its own, so that the suite's fonts reach only these drawings:
# they go into its Fonts folder, which Wine reads at start-up.
prefix="$build/conformance-wineprefix"
bash "$top/tools/wine-prefix.sh" "$prefix"
if [ -d "$suite/fonts" ]; then
  /usr/bin/python3 "$top/tools/install-fonts.py" "$suite/fonts" "$prefix/drive_c/windows/Fonts"
fi

# Render from the suite's folder so the list's relative paths work under Wine.
rm -rf "$out/png"
mkdir -p "$out/png"
(cd "$suite" && xvfb-run -a -s "-screen 0 640x480x24" env VEXLAR_WINEPREFIX="$prefix" \
  "$top/cmake/wine-run.sh" "$build/bin/vexlar-render.exe" --batch "$list" "$out/png") \
  >"$out/render.log" 2>&1 || true
grep -v '^batch: ' "$out/render.log" | head -n 20 || true

/usr/bin/python3 - "$suite" "$list" "$out" <<'EOF'
import os, sys
suite, listing, out = sys.argv[1:4]
sys.dont_write_bytecode = True  # write nothing into the suite
sys.path.insert(0, suite)
from compare import differing_share  # the suite's own rule

rows, folders = [], {}
for path in open(listing, encoding="utf-8").read().split("\n"):
    if not path:
        continue
    stem = path[:-4] if path.lower().endswith(".svg") else path
    picture = os.path.join(out, "png", stem + ".png")
    if os.path.isfile(picture):
        share = differing_share(os.path.join(suite, stem + ".png"), picture)
        ok, shown = share < 0.01, "%.5f" % share
    else:
        ok, shown = False, "render-failed"
    rows.append("%s %s %s" % (path, "pass" if ok else "fail", shown))
    folder = path.split("/")[0] if "/" in path else "."
    counts = folders.setdefault(folder, [0, 0])
    counts[0 if ok else 1] += 1
rows.sort()
with open(os.path.join(out, "results.txt"), "w", encoding="utf-8") as f:
    f.write("\n".join(rows) + "\n")
print("%-16s %7s %7s %7s" % ("folder", "passed", "failed", "share"))
for folder in sorted(folders):
    p, m = folders[folder]
    print("%-16s %7d %7d %6.1f%%" % (folder, p, m, 100.0 * p / (p + m)))
passed = sum(c[0] for c in folders.values())
failed = sum(c[1] for c in folders.values())
print("results: %s" % os.path.join(out, "results.txt"))
print("conformance: %d passed, %d failed" % (passed, failed))
EOF
