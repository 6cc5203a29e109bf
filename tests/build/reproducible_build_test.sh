#!/usr/bin/env bash
# Two checkouts of the same sources, in folders of different names and depths, built
# apart in time, give a byte-identical program: no link time and no build path in it.
# Usage: reproducible_build_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build_copy() {
  local checkout=$1
  mkdir -p "$checkout"
  (cd "$source_dir" && git ls-files -z | xargs -0 cp --parents -t "$checkout")
  cmake -S "$checkout" -B "$checkout/out" -DBUILD_TESTING=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$checkout/cmake/mingw-w64-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    >/dev/null
  cmake --build "$checkout/out" --target launcher >/dev/null
}

build_copy "$work/first"
sleep 2  # a link time would now differ by seconds
build_copy "$work/second checkout/somewhere deeper"

if cmp "$work/first/out/launcher.exe" "$work/second checkout/somewhere deeper/out/launcher.exe"; then
  echo "identical: $(stat -c %s "$work/first/out/launcher.exe") bytes"
else
  echo "the two builds differ"
  exit 1
fi
