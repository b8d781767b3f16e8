#!/usr/bin/env bash
# Installs everything Vexlar needs to build and test on a fresh Debian machine:
# the MinGW-w64 cross compilers, Wine, Xvfb, CMake/Ninja, GoogleTest sources,
# clang's sanitizer and fuzzer runtimes, numpy and PIL for the conformance
# scores, the Unicorn CPU emulator (which runs the 32-bit DLL), and expat built
# from Debian's source package for both Windows targets. Safe to run again:
# every step checks first.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/.deps"
export DEBIAN_FRONTEND=noninteractive

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xauth
  cmake ninja-build dpkg-dev googletest libexpat1-dev
  clang libclang-rt-14-dev libfuzzer-14-dev
  python3-numpy python3-pil python3-unicorn
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

# expat's sources come from Debian's source package, so a deb-src line for the
# same mirror and suites as the existing deb lines must exist.
ensure_deb_src() {
  if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 1
  fi
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    grep -q '^Types: deb$' "$f" || continue
    sed 's/^Types: deb$/Types: deb-src/' "$f" | as_root tee "/etc/apt/sources.list.d/vexlar-src-$(basename "$f")" >/dev/null
  done
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | as_root tee /etc/apt/sources.list.d/vexlar-src.list >/dev/null
  fi
  return 0
}

need_update=0
ensure_deb_src && need_update=1
miss=$(missing_packages)
[ -n "$miss" ] && need_update=1
have_expat_src=$(ls -d "$deps"/src/expat-*/ 2>/dev/null | head -n 1 || true)
[ -z "$have_expat_src" ] && need_update=1

if [ "$need_update" = 1 ]; then
  as_root apt-get update -qq
fi
if [ -n "$miss" ]; then
  echo "setup: installing $(echo $miss | tr '\n' ' ')"
  as_root apt-get install -y -qq --no-install-recommends $miss >/dev/null
fi

# expat for the two MinGW targets, as static libraries under .deps/<target>.
mkdir -p "$deps/src"
if [ -z "$have_expat_src" ]; then
  # The mirror may list a source version whose files it no longer serves
  # (seen with a security update), so try each listed version, newest first.
  fetched=0
  for v in "" $(apt-cache showsrc expat | sed -n 's/^Version: //p' | sort -rV); do
    if (cd "$deps/src" && apt-get source -qq "expat${v:+=$v}" >/dev/null 2>&1); then
      fetched=1
      break
    fi
  done
  [ "$fetched" = 1 ] || { echo "setup: could not fetch expat's Debian source" >&2; exit 1; }
  have_expat_src=$(ls -d "$deps"/src/expat-*/ | head -n 1)
fi
expat_dir="${have_expat_src%/}"
[ -d "$expat_dir/expat" ] && expat_dir="$expat_dir/expat"
# Debian's security patches to 2.5.0 test "#if XML_DTD == 1"; later upstream
# releases spell the define that way, so make the template do the same.
sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$expat_dir/expat_config.h.cmake"

build_expat() {
  local target=$1 prefix="$deps/$1"
  [ -f "$prefix/lib/libexpat.a" ] && return 0
  echo "setup: building expat for $target"
  cmake -S "$expat_dir" -B "$deps/build-expat-$target" -G Ninja \
    -DCMAKE_SYSTEM_NAME=Windows \
    -DCMAKE_C_COMPILER="$target-gcc-posix" \
    -DCMAKE_RC_COMPILER="$target-windres" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF \
    -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF \
    >/dev/null
  cmake --build "$deps/build-expat-$target" >/dev/null
  cmake --install "$deps/build-expat-$target" >/dev/null
}
build_expat i686-w64-mingw32
build_expat x86_64-w64-mingw32
echo "setup: ready"
