#!/usr/bin/env bash
# The result grid over the unattended benchmark's one-million-row result
# (every order line with its product), beside SQLite: the time to show
# the first screen of rows, the time to jump to the last row, and the
# memory held, each in a process of its own; then the dataset read to its
# end without a grid (the memory the rows themselves take, per row beside
# the size of the rows as CSV text), SQLite's C library stepping through
# the rows, and the sqlite3 shell writing them.
# Best time of a few runs each; memory of the last run.
#
#   tools/bench/grid_bench.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build/release (made with the benchmarks when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="${1:-$root/build/release}"
runs="${MORVELIN_BENCH_RUNS:-3}"
rows=1000000

if [ ! -x "$build/bin/bench_grid" ]; then
  "$root/tools/install-deps.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELIN_TESTS=OFF -DMORVELIN_BENCH=ON >/dev/null
  cmake --build "$build" -j"$(nproc)" --target bench_grid mksample
fi
command -v sqlite3 >/dev/null || { echo "sqlite3 is needed (apt-get install sqlite3)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/queries"

echo "Making the $rows-row database..."
{
  cat "$root/data/sample/sample.sql"
  cat <<SQL
WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < $rows - (SELECT COUNT(*) FROM LIGNES_COMMANDE))
INSERT INTO LIGNES_COMMANDE
SELECT 1 + I % 2000, 100 + I / 2000, printf('P%03d', 1 + (I * 7) % 30), 1 + (I * 13) % 24,
       CASE WHEN I % 6 = 0 THEN 0.05 ELSE NULL END
FROM N;
SQL
} | sqlite3 "$work/big.db"
mksample="$build/tools/mksample/mksample"
"$mksample" --bench "$build/bin" "$work/queries"
"$mksample" --sql "$build/bin" "$work/queries/BENCH_TXT.MQR" > "$work/bench.sql"

# run MODE: the best of $runs runs of bench_grid MODE, key by key for
# times (lowest), the last run's for the rest.
run() {
  local mode=$1 out="$work/$1.out"
  : > "$out"
  for _ in $(seq "$runs"); do
    env -u DISPLAY -u WAYLAND_DISPLAY MORVELIN_WINDIR="$work" "$build/bin/bench_grid" "$mode" "$work/big.db" "$work/bench.sql" \
      >> "$out" 2> "$work/$mode.err" || { cat "$work/$mode.err"; echo "failed: bench_grid $mode"; exit 1; }
  done
  awk '{ if ($1 ~ /_ms$/) { if (!($1 in v) || $2 < v[$1]) v[$1] = $2 } else v[$1] = $2 }
       END { for (k in v) print k, v[k] }' "$out" | sort
}

t_shell() {
  local best=""
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(date +%s.%N)
    sqlite3 -csv "$work/big.db" < "$work/bench.sql" > /dev/null
    t1=$(date +%s.%N)
    best=$(echo "$t0 $t1 ${best:-}" | awk '{ d = ($2 - $1) * 1000; if ($3 == "" || d < $3) print d; else print $3 }')
  done
  echo "$best"
}

echo "Measuring (best of $runs)..."
run grid > "$work/grid.txt"
run dataset > "$work/dataset.txt"
run sqlite > "$work/sqlite.txt"
shell=$(t_shell)
csv=$(sqlite3 -csv "$work/big.db" < "$work/bench.sql" | wc -c)

get() { awk -v k="$2" '$1 == k { print $2 }' "$work/$1.txt"; }
awk -v rows="$(get grid rows)" -v vis="$(get grid visible_rows)" \
    -v first="$(get grid first_screen_ms)" -v firstmem="$(get grid resident_after_first_screen_kib)" \
    -v jump="$(get grid jump_to_last_ms)" -v gridmem="$(get grid resident_above_base_kib)" -v gridpeak="$(get grid peak_kib)" \
    -v dsall="$(get dataset read_all_ms)" -v dsmem="$(get dataset resident_above_base_kib)" -v dspeak="$(get dataset peak_kib)" \
    -v sqall="$(get sqlite read_all_ms)" -v shell="$shell" \
    -v perrow="$(get dataset bytes_per_row)" -v csv="$csv" 'BEGIN {
  printf "%-46s %d rows, %d on screen\n", "result", rows, vis
  printf "%-46s %10.1f ms   (aim: under 50 ms)\n", "grid: first screen (query, bind, paint)", first
  printf "%-46s %10.0f KiB\n", "grid: memory held after the first screen", firstmem
  printf "%-46s %10.1f ms\n", "grid: jump to the last row (read to the end)", jump
  printf "%-46s %10.0f KiB (peak of the process %.0f KiB)\n", "grid: memory held after the jump", gridmem, gridpeak
  printf "%-46s %10.1f ms\n", "dataset alone: read to the end", dsall
  printf "%-46s %10.0f KiB (peak of the process %.0f KiB)\n", "dataset alone: memory held", dsmem, dspeak
  printf "%-46s %10.1f bytes\n", "dataset alone: memory per row", perrow
  printf "%-46s %10.1f bytes\n", "the rows as CSV text, per row", csv / rows
  printf "%-46s %10.2f   (aim: at most 2)\n", "dataset memory per row / CSV bytes per row", perrow / (csv / rows)
  printf "%-46s %10.2f   (aim: at most 1.5)\n", "grid memory / dataset memory", gridmem / dsmem
  printf "%-46s %10.1f ms\n", "sqlite3_step over every row", sqall
  printf "%-46s %10.1f ms\n", "sqlite3 -csv writing every row", shell
  printf "%-46s %10.2f\n", "grid jump / sqlite3_step", jump / sqall
}'
