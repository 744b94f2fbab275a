#!/usr/bin/env bash
# The designer's start: from process start to the designer window shown
# with the sample's sales query loaded, beside the unattended run of the
# same query. Best wall time of a few runs each, offscreen, with a settings
# folder of the script's own.
#
#   designer   `morv32 VENTES_PAR_PRODUIT.MQR` until its event loop answers
#              the local server (the loop starts once the window is shown
#              with the query loaded), less one client round trip against
#              the running program; then SIGTERM closes it.
#   unattended `morv32 /EXE VENTES_PAR_PRODUIT.MQR`, start to end.
#
#   tools/bench/designer_start.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build/release (made as tools/run-sample.sh makes it).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
runs="${MORVELIN_BENCH_RUNS:-5}"
bin="$build/bin"
if [ ! -x "$bin/morv32" ] || [ ! -x "$bin/morvdde" ] || [ ! -f "$bin/sample/VENTES_PAR_PRODUIT.MQR" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELIN_TESTS=OFF -DMORVELIN_BENCH=OFF >/dev/null
  cmake --build "$build" --target morv32 morvdde sample -j"$(nproc)"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/settings" "$work/out" "$work/run"
chmod 700 "$work/run"
printf '[Options]\nShowTips=0\nPrivateQueryPath=%s/\n' "$work/out" > "$work/settings/MORVELIN.INI"
export MORVELIN_WINDIR="$work/settings" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen MORVELIN_PRINT_PDF="$work/out"
unset DISPLAY WAYLAND_DISPLAY
query="$bin/sample/VENTES_PAR_PRODUIT.MQR"
now() { date +%s%N; }

best_designer=""
best_trip=""
for _ in $(seq "$runs"); do
  t0=$(now)
  "$bin/morv32" "$query" 2>"$work/err" &
  pid=$!
  until "$bin/morvdde" 'GETEOF(AUCUNE)' >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { cat "$work/err"; exit 1; }
  done
  t1=$(now)
  t2=$(now)
  "$bin/morvdde" 'GETEOF(AUCUNE)' >/dev/null
  t3=$(now)
  kill -TERM "$pid"
  wait "$pid"
  shown=$(( (t1 - t0) / 1000000 ))
  trip=$(( (t3 - t2) / 1000000 ))
  if [ -z "$best_designer" ] || [ $((shown - trip)) -lt "$best_designer" ]; then
    best_designer=$((shown - trip))
    best_trip=$trip
  fi
done

best_exe=""
for _ in $(seq "$runs"); do
  t0=$(now)
  "$bin/morv32" /EXE "$query" 2>/dev/null
  t1=$(now)
  ms=$(( (t1 - t0) / 1000000 ))
  if [ -z "$best_exe" ] || [ "$ms" -lt "$best_exe" ]; then best_exe=$ms; fi
done

echo "designer shown with the sales query: ${best_designer} ms (client round trip ${best_trip} ms taken off)"
echo "unattended run of the same query:    ${best_exe} ms"
