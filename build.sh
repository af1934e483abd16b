#!/usr/bin/env bash
# Builds the program, the tests and the benchmarks into build/.
set -euo pipefail
cd "$(dirname "$0")"
"./scripts/setup.sh"
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"
