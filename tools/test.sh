#!/usr/bin/env bash
# Installs what is missing, builds everything under AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test, then fuzzes the object file
# reader for a bounded time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/tools/install-deps.sh"

build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DMORVELIN_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 300

if [ -f "$root/tools/fuzz/CMakeLists.txt" ]; then
  "$root/tools/fuzz/run.sh" "${MORVELIN_FUZZ_SECONDS:-60}"
fi
