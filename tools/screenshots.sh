#!/usr/bin/env bash
# Writes a picture of every window of the programs, opened offscreen over
# the bundled sample, into BUILD_DIR/screenshots/ (one PNG per window,
# named after the window: fmAbout.png, fmQueryDesigner-large.png...).
#
#   tools/screenshots.sh [BUILD_DIR]
#
# BUILD_DIR is $MORVELIN_BUILD_DIR or build/release by default; it is made
# with a release build when missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-${MORVELIN_BUILD_DIR:-$root/build/release}}"
if [ ! -f "$build/build.ninja" ]; then
  "$root/tools/install-deps.sh" --build-only
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELIN_TESTS=OFF -DMORVELIN_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target morvshots -j"$(nproc)"
out="$build/screenshots"
rm -rf "$out"
mkdir -p "$out" "$build/screenshots-settings"
# A settings folder of its own: no tips window, nothing of the user's.
printf '[Options]\nShowTips=0\n' > "$build/screenshots-settings/MORVELIN.INI"
MORVELIN_WINDIR="$build/screenshots-settings" QT_QPA_PLATFORM=offscreen "$build/bin/morvshots" "$out"
