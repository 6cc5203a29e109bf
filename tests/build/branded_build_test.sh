#!/usr/bin/env bash
# Builds the launcher with every branding option set, in a build tree of its own, and
# runs the tests that read the built file back there: they expect what that tree was
# configured with. The strings hold what resource scripts and C++ must escape.
# Usage: branded_build_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT

cmake -S "$source_dir" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DLAUNCHER_OUTPUT_NAME="My Tool" \
  -DLAUNCHER_ICON="$source_dir/tests/fixtures/tool.ico" \
  -DLAUNCHER_PRODUCT_NAME='My "Quoted" Tool' \
  -DLAUNCHER_COMPANY='Ünïcode & Söhne 日本' \
  -DLAUNCHER_COPYRIGHT='© 2026 Back\slash Ltd.' \
  -DLAUNCHER_DESCRIPTION='Starts My Tool; 100% batch' >/dev/null
cmake --build "$build" --target launcher launcher_e2e_tests -j2 >/dev/null

test -f "$build/My Tool.exe"
cd "$build"
wine ./launcher_e2e_tests.exe \
  --gtest_filter='BuiltProgramTest.*:VersionInformationTest.*:ResourcesTest.*:LauncherTest.RunsTheBatch*'
