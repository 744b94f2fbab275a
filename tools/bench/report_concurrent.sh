#!/usr/bin/env bash
# Concurrent unattended runs of one user through the report runtime: the
# sample's sales query run 8 times at once (as cron jobs of the same
# minute), each in a folder of its own with a report file of its own
# ("Passage <n>" as its title), all sharing the user's runtime. Every run
# must end with status 0 and "Impression terminée.", and its folder must
# hold its own report (its own title, no other's); the total wall time of
# the 8 is printed beside that of one run alone.
#
#   tools/bench/report_concurrent.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build/release (made as tools/run-sample.sh makes it);
# MORVELIN_BENCH_RUNS sets how many concurrent runs (8).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
runs="${MORVELIN_BENCH_RUNS:-8}"
bin="$build/bin"
if [ ! -x "$bin/morv32" ] || [ ! -x "$bin/morvrs" ] || [ ! -f "$bin/sample/VENTES_PAR_PRODUIT.MQR" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELIN_TESTS=OFF -DMORVELIN_BENCH=OFF >/dev/null
  cmake --build "$build" --target morv32 morvrs sample -j"$(nproc)"
fi
command -v pdftotext >/dev/null || { echo "pdftotext (poppler-utils) is needed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM MORVELIN_PRINT_PDF
now() { date +%s%N; }

# A folder of its own for run n: the query, its model, its report file and
# its settings, whose private folder receives its results.
prepare() {
  local d="$work/p$1"
  rm -rf "$d"
  mkdir -p "$d/settings" "$d/out"
  cp "$bin/sample/VENTES_PAR_PRODUIT.MQR" "$bin/sample/EXEMPLE.MDD" "$d/"
  sed "s/^Title=Ventes par produit/Title=Passage $1/" "$bin/sample/VENTES_PAR_PRODUIT.rpt" > "$d/VENTES_PAR_PRODUIT.rpt"
  printf '[Options]\nShowTips=0\nPrivateQueryPath=%s/\n' "$d/out" > "$d/settings/MORVELIN.INI"
}
start() {
  local d="$work/p$1"
  (cd "$d" && MORVELIN_WINDIR="$d/settings" exec "$bin/morv32" /EXE "$d/VENTES_PAR_PRODUIT.MQR" 2>"$d/err") &
  pids[$1]=$!
}
check() {
  local d="$work/p$1" status=$2 failed=0
  if [ "$status" -ne 0 ] || ! grep -q "Impression terminée." "$d/err"; then
    echo "run $1: status $status"; sed 's/^/    /' "$d/err"; failed=1
  elif [ ! -f "$d/out/RAPPORT_VENTES.pdf" ]; then
    echo "run $1: no report of its own"; failed=1
  else
    local text
    text=$(pdftotext "$d/out/RAPPORT_VENTES.pdf" -)
    if ! grep -q "Passage $1 (toutes les commandes)" <<<"$text"; then
      echo "run $1: its report is not its own:"; head -3 <<<"$text"; failed=1
    elif grep "Passage [0-9]" <<<"$text" | grep -vq "Passage $1 "; then
      echo "run $1: another run's report in its folder"; failed=1
    fi
  fi
  return $failed
}

# One run alone first (it starts the runtime, which ends after it).
prepare 0
t0=$(now)
start 0
status=0; wait "${pids[0]}" || status=$?
alone=$(( ($(now) - t0) / 1000000 ))
check 0 "$status" || { echo "the single run failed"; exit 1; }
# The runtime ends with its last program: wait for it to have gone.
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/morvelin/RS_RUNTIME" ] || break; sleep 0.05; done

for n in $(seq 1 "$runs"); do prepare "$n"; done
t0=$(now)
for n in $(seq 1 "$runs"); do start "$n"; done
bad=0
for n in $(seq 1 "$runs"); do
  status=0; wait "${pids[$n]}" || status=$?
  check "$n" "$status" || bad=$((bad + 1))
done
total=$(( ($(now) - t0) / 1000000 ))
echo "one run alone:            ${alone} ms"
echo "$runs concurrent runs:      ${total} ms in all ($((runs - bad)) of $runs with their own report)"
[ "$bad" -eq 0 ]
