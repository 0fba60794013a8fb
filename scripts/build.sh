#!/usr/bin/env bash
# Builds both trees: build/native (portable core, tests, test ODBC driver) and build/win (the
# Windows programs and their tests). BUILD_ROOT moves them elsewhere.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
jobs=${JOBS:-$(nproc)}
cmake -S "$src" -B "$root/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$root/native" -j "$jobs"
cmake -S "$src" -B "$root/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" -DDORVIK_NATIVE_BUILD="$root/native" >/dev/null
cmake --build "$root/win" -j "$jobs"
