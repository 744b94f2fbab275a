#!/usr/bin/env bash
# The unattended run against SQLite's own shell, on a one-million-row
# variant of the sample database. It times `morv32 /EXE` on a one-step
# query (every order line with its product) written to a text file, to a
# dBASE table and to both, beside `sqlite3 -csv` running the same
# generated statement, and prints the ratios (best of a few runs each).
#
#   tools/bench/unattended_run.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build/release (made as tools/run-sample.sh makes it).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="${1:-$root/build/release}"
runs="${MORVELIN_BENCH_RUNS:-3}"
rows=1000000

if [ ! -x "$build/bin/morv32" ]; then
  "$root/tools/install-deps.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELIN_TESTS=OFF -DMORVELIN_BENCH=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)"
fi
command -v sqlite3 >/dev/null || { echo "sqlite3 is needed (apt-get install sqlite3)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/settings" "$work/out" "$work/queries"

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
echo "  $(sqlite3 "$work/big.db" 'SELECT COUNT(*) FROM LIGNES_COMMANDE') order lines"

printf '[MORVELIN]\nTYPE=SQLITE\nPATH=%s\n' "$work/big.db" > "$work/settings/ALIASES.INI"
printf '[Options]\nPrivateQueryPath=%s/\n' "$work/out" > "$work/settings/MORVELIN.INI"
mksample="$build/tools/mksample/mksample"
"$mksample" --bench "$build/bin" "$work/queries"
"$mksample" --sql "$build/bin" "$work/queries/BENCH_TXT.MQR" > "$work/bench.sql"

# Best wall time of $runs runs of a command, in seconds.
best() {
  local best_t=""
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>"$work/last.err" || { cat "$work/last.err"; echo "failed: $*"; exit 1; }
    t1=$(date +%s.%N)
    best_t=$(echo "$t0 $t1 ${best_t:-}" | awk '{ d = $2 - $1; if ($3 == "" || d < $3) print d; else print $3 }')
  done
  echo "$best_t"
}

shell_csv() { sqlite3 -csv -header "$work/big.db" < "$work/bench.sql" > "$work/out/shell.csv"; }
morv() { MORVELIN_WINDIR="$work/settings" env -u DISPLAY -u WAYLAND_DISPLAY "$build/bin/morv32" /EXE "$1"; }

echo "Timing (best of $runs)..."
t_shell=$(best shell_csv)
t_txt=$(best morv "$work/queries/BENCH_TXT.MQR")
t_dbf=$(best morv "$work/queries/BENCH_DBF.MQR")
t_both=$(best morv "$work/queries/BENCH_BOTH.MQR")

awk -v s="$t_shell" -v a="$t_txt" -v b="$t_dbf" -v c="$t_both" 'BEGIN {
  printf "%-32s %8.2f s\n", "sqlite3 -csv", s
  printf "%-32s %8.2f s   ratio %.2f\n", "morv32 /EXE, .TXT", a, a / s
  printf "%-32s %8.2f s   ratio %.2f\n", "morv32 /EXE, .DBF", b, b / s
  printf "%-32s %8.2f s   ratio %.2f (%.2f against two shell runs: two files written)\n", "morv32 /EXE, .TXT and .DBF", c, c / s, c / (2 * s)
}'
ls -l "$work/out"
