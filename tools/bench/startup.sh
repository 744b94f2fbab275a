#!/usr/bin/env bash
# Start-up to a shown window: from the process's start to the first paint
# of the about box, offscreen, after the programs' whole start-up (settings,
# definition files; no splash: nobody watches offscreen), beside the
# unattended run of a one-row query (`morv32 /EXE`, to a text file), in
# the same run. Best of a few runs each (MORVELIN_BENCH_RUNS, 5).
#
#   tools/bench/startup.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build/release; it is configured with the
# benchmarks and built as needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
runs="${MORVELIN_BENCH_RUNS:-5}"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELIN_TESTS=OFF -DMORVELIN_BENCH=ON >/dev/null
elif ! grep -q "bench_startup" "$build/build.ninja"; then
  cmake -S "$root" -B "$build" -DMORVELIN_BENCH=ON >/dev/null
fi
cmake --build "$build" --target bench_startup morv32 mksample sample -j3 >/dev/null
command -v sqlite3 >/dev/null || { echo "sqlite3 is needed"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/settings" "$work/out" "$work/queries"
{
  cat "$root/data/sample/sample.sql"
  echo "DELETE FROM LIGNES_COMMANDE WHERE rowid > (SELECT MIN(rowid) FROM LIGNES_COMMANDE);"
} | sqlite3 "$work/one.db"
printf '[MORVELIN]\nTYPE=SQLITE\nPATH=%s\n' "$work/one.db" > "$work/settings/ALIASES.INI"
printf '[Options]\nPrivateQueryPath=%s/\nShowTips=0\n' "$work/out" > "$work/settings/MORVELIN.INI"
"$build/tools/mksample/mksample" --bench "$build/bin" "$work/queries"

export MORVELIN_WINDIR="$work/settings"
ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1e6 }'; }

best_about=""
for _ in $(seq "$runs"); do
  t=$(env -u DISPLAY -u WAYLAND_DISPLAY "$build/bin/bench_startup" "$(date +%s%N)")
  if [ -z "$best_about" ] || [ "$t" -lt "$best_about" ]; then best_about=$t; fi
done

best_run=""
for _ in $(seq "$runs"); do
  t0=$(date +%s%N)
  env -u DISPLAY -u WAYLAND_DISPLAY "$build/bin/morv32" /EXE "$work/queries/BENCH_TXT.MQR" >/dev/null 2>"$work/err" \
    || { cat "$work/err" >&2; echo "the unattended run failed" >&2; exit 1; }
  t=$(( $(date +%s%N) - t0 ))
  if [ -z "$best_run" ] || [ "$t" -lt "$best_run" ]; then best_run=$t; fi
done

echo "Start-up (best of $runs)"
printf "  %-52s %8s ms\n" "process start to the about box painted, offscreen" "$(ms "$best_about")"
printf "  %-52s %8s ms\n" "morv32 /EXE, one row to a text file (whole process)" "$(ms "$best_run")"
