#!/usr/bin/env bash
# Builds and runs every test of Vexlar, set-up included:
#   1. the 32-bit Windows build: Vexlar.dll, checked statically;
#   2. the native build of the SVG readers, sanitized (AddressSanitizer, UBSan);
#   3. the 64-bit Windows build: Vexlar.dll, test programs and tools, run under
#      wine64 with an X display from Xvfb.
# The build folder is build/ (VEXLAR_BUILD overrides it). Exits non-zero on any
# failure; the last line counts the test programs that passed and failed.
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/setup.sh || exit 1
build=${VEXLAR_BUILD:-$top/build}
mkdir -p "$build"
build=$(cd "$build" && pwd)
jobs=$(nproc)

passed=0
failed=0
count_ctest() { # folder, log: adds ctest's counts to the totals
  local line total fails
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$2" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  fails=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
  total=$(echo "$line" | sed -E 's/.* tests failed out of ([0-9]+).*/\1/')
  passed=$((passed + total - fails))
  failed=$((failed + fails))
}

configure_and_build() { # name, extra cmake arguments...
  local name=$1
  shift
  echo "== build $name"
  if ! cmake -S "$top" -B "$build/$name" -G Ninja "$@" >"$build/$name.configure.log" 2>&1; then
    cat "$build/$name.configure.log"
    return 1
  fi
  if ! cmake --build "$build/$name" -j "$jobs" >"$build/$name.build.log" 2>&1; then
    tail -n 60 "$build/$name.build.log"
    return 1
  fi
  if grep -q 'warning:' "$build/$name.build.log"; then
    grep 'warning:' "$build/$name.build.log" | sort -u | head -n 20
    echo "== $name: the build has warnings"
    return 1
  fi
}

run_ctest() { # name, [wrapper...]
  local name=$1
  shift
  echo "== test $name"
  (cd "$build/$name" && "$@" ctest --output-on-failure -j 1) 2>&1 | tee "$build/$name.test.log"
  count_ctest "$build/$name" "$build/$name.test.log"
}

if configure_and_build i686 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake"; then
  run_ctest i686
else
  failed=$((failed + 1))
fi

if configure_and_build native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++; then
  run_ctest native env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
else
  failed=$((failed + 1))
fi

if configure_and_build x86_64 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake"; then
  bash "$top/tools/wine-prefix.sh" "$build/x86_64/wineprefix"
  run_ctest x86_64 xvfb-run -a -s "-screen 0 1280x1024x24" env VEXLAR_WINEPREFIX="$build/x86_64/wineprefix"
  WINEPREFIX="$build/x86_64/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null
else
  failed=$((failed + 1))
fi

echo "tests: $passed passed, $failed failed"
[ "$failed" = 0 ]
