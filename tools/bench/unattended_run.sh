#!/usr/bin/env bash
# The unattended run against the limits of its work, on a one-million-row
# variant of the sample database and a one-row one. The query is one step:
# every order line with its product. Best wall time of a few runs each:
#
#   start-up   `morv32 /EXE` to a dBASE table on the one-row database,
#              against `sqlite3 -csv` running the same statement: the two
#              run in turn many times (a run takes a few milliseconds, so
#              one slow or lucky run must not decide), and the medians and
#              the median of the pairs' ratios are printed;
#   rows       the one-million-row dBASE run against the limit of its work,
#              measured in the same run: max(a small reader stepping the
#              same statement through SQLite, a copy of the written file
#              with fsync);
#   shell      the text, dBASE and both runs against `sqlite3 -csv`;
#   server     when PostgreSQL's server programs are installed: the sample
#              with the same million rows in a private server (initdb in
#              the scratch folder, a socket there, as "nobody" under root),
#              the dBASE run through a TYPE=POSTGRESQL alias against
#              `psql --csv` running the same statement to a file, with the
#              peak memory of both (and of the one-row run, to show that
#              memory does not grow with the rows).
#
#   tools/bench/unattended_run.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build/release (made as tools/run-sample.sh makes it).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
runs="${MORVELIN_BENCH_RUNS:-3}"
rows=1000000

if [ ! -x "$build/bin/morv32" ]; then
  "$root/tools/install-deps.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELIN_TESTS=OFF -DMORVELIN_BENCH=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)"
fi
for tool in sqlite3 cc; do
  command -v "$tool" >/dev/null || { echo "$tool is needed"; exit 1; }
done

work=$(mktemp -d)
pgbin=/usr/lib/postgresql/15/bin
pgdata="$work/pg"
stop_server() {
  if [ -f "$pgdata/data/postmaster.pid" ]; then
    as_server "$pgbin/pg_ctl" -D "$pgdata/data" -m fast -w stop >/dev/null 2>&1 || true
  fi
}
trap 'stop_server; rm -rf "$work"' EXIT
mkdir -p "$work/settings" "$work/small" "$work/out" "$work/queries"

cc -O2 -o "$work/sqlite_step" "$root/tools/bench/sqlite_step.c" -lsqlite3

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
{
  cat "$root/data/sample/sample.sql"
  echo "DELETE FROM LIGNES_COMMANDE WHERE rowid > (SELECT MIN(rowid) FROM LIGNES_COMMANDE);"
} | sqlite3 "$work/one.db"

printf '[MORVELIN]\nTYPE=SQLITE\nPATH=%s\n' "$work/big.db" > "$work/settings/ALIASES.INI"
printf '[MORVELIN]\nTYPE=SQLITE\nPATH=%s\n' "$work/one.db" > "$work/small/ALIASES.INI"
for s in settings small; do
  printf '[Options]\nPrivateQueryPath=%s/\n' "$work/out" > "$work/$s/MORVELIN.INI"
done
mksample="$build/tools/mksample/mksample"
"$mksample" --bench "$build/bin" "$work/queries"
"$mksample" --sql "$build/bin" "$work/queries/BENCH_TXT.MQR" > "$work/bench.sql"

# Best wall time of $runs runs of a command, in seconds; a failure ends
# the benchmark.
best() {
  local best_t="" t0 t1
  for _ in $(seq "$runs"); do
    t0=$(date +%s.%N)
    if ! "$@" >/dev/null 2>"$work/last.err"; then
      cat "$work/last.err" >&2
      echo "failed: $*" >&2
      return 1
    fi
    t1=$(date +%s.%N)
    best_t=$(echo "$t0 $t1 ${best_t:-}" | awk '{ d = $2 - $1; if ($3 == "" || d < $3) print d; else print $3 }')
  done
  echo "$best_t"
}
# Peak resident memory of one run, in MB.
peak() {
  /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>"$work/last.err" || { cat "$work/last.err" >&2; return 1; }
  awk '{ printf "%.0f", $1 / 1024 }' "$work/rss"
}

shell_csv() { sqlite3 -csv -header "$1" < "$work/bench.sql" > "$work/out/shell.csv"; }
morv() { (unset DISPLAY WAYLAND_DISPLAY; MORVELIN_WINDIR="$work/$1" exec "$build/bin/morv32" /EXE "$2"); }
step_rows() { "$work/sqlite_step" "$work/big.db" "$work/bench.sql"; }
copy_fsync() { dd if="$work/out/BENCH_DBF.DBF" of="$work/copy.DBF" bs=1M conv=fsync status=none; }

echo "Timing..."
# The one-row pair, in turn: "median-of-A median-of-B median-of-A/B".
startup_pairs() {
  local i t0 t1 t2
  for i in $(seq "${MORVELIN_BENCH_STARTUP_RUNS:-31}"); do
    # microseconds, whatever the locale's decimal mark
    t0=${EPOCHREALTIME/[.,]/}
    shell_csv "$work/one.db" >/dev/null 2>&1 || return 1
    t1=${EPOCHREALTIME/[.,]/}
    morv small "$work/queries/BENCH_DBF.MQR" >/dev/null 2>&1 || return 1
    t2=${EPOCHREALTIME/[.,]/}
    echo "$t0 $t1 $t2"
  done | awk '{ b[NR] = ($2 - $1) / 1e6; a[NR] = ($3 - $2) / 1e6; r[NR] = a[NR] / b[NR] }
    function median(v, n,   i, j, t) {
      for (i = 2; i <= n; i++) { t = v[i]; for (j = i - 1; j > 0 && v[j] > t; j--) v[j + 1] = v[j]; v[j + 1] = t }
      return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    END { printf "%.4f %.4f %.3f\n", median(a, NR), median(b, NR), median(r, NR) }'
}
read -r t_one t_one_shell r_one < <(startup_pairs)
[ -n "$r_one" ] || { echo "the one-row runs failed" >&2; exit 1; }
echo "  (the rows and shell figures: best of $runs)"
t_shell=$(best shell_csv "$work/big.db")
t_txt=$(best morv settings "$work/queries/BENCH_TXT.MQR")
t_dbf=$(best morv settings "$work/queries/BENCH_DBF.MQR")
t_both=$(best morv settings "$work/queries/BENCH_BOTH.MQR")
t_step=$(best step_rows)
t_copy=$(best copy_fsync)

awk -v o1="$t_one_shell" -v o="$t_one" -v ro="$r_one" -v s="$t_shell" -v a="$t_txt" -v b="$t_dbf" -v c="$t_both" \
    -v st="$t_step" -v cp="$t_copy" 'BEGIN {
  limit = st > cp ? st : cp
  printf "start-up   %-36s %6.3f s   (medians of runs in turn)\n", "sqlite3 -csv, one row", o1
  printf "           %-36s %6.3f s   ratio %.2f (median of the pairs)\n", "morv32 /EXE, one row to .DBF", o, ro
  printf "rows       %-36s %6.3f s\n", "SQLite stepping every row", st
  printf "           %-36s %6.3f s\n", "copy of the .DBF with fsync", cp
  printf "           %-36s %6.3f s   ratio %.2f against max(%.3f, %.3f)\n", "morv32 /EXE, .DBF", b, b / limit, st, cp
  printf "shell      %-36s %6.3f s\n", "sqlite3 -csv", s
  printf "           %-36s %6.3f s   ratio %.2f\n", "morv32 /EXE, .TXT", a, a / s
  printf "           %-36s %6.3f s   ratio %.2f\n", "morv32 /EXE, .DBF", b, b / s
  printf "           %-36s %6.3f s   ratio %.2f (%.2f against two shell runs: two files written)\n", "morv32 /EXE, .TXT and .DBF", c, c / s, c / (2 * s)
}'

if [ ! -x "$pgbin/initdb" ] || ! command -v psql >/dev/null; then
  echo "server     skipped: PostgreSQL 15 is not installed (apt-get install postgresql)"
  exit 0
fi

# The server refuses to run as root: its programs run as "nobody" then.
as_server() {
  if [ "$(id -u)" = 0 ]; then
    setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
  else
    "$@"
  fi
}
echo "Starting a private PostgreSQL server..."
mkdir -p "$pgdata"
if [ "$(id -u)" = 0 ]; then chmod o+x "$work"; chown nobody:nogroup "$pgdata"; fi
as_server "$pgbin/initdb" -D "$pgdata/data" -U morv --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
as_server "$pgbin/pg_ctl" -D "$pgdata/data" -o "-k $pgdata -c listen_addresses=" -w -l "$pgdata/log" start >/dev/null
pg=(-h "$pgdata" -U morv)
psql -X -q "${pg[@]}" -d postgres -c 'CREATE DATABASE bench'
"$root/tools/pgsample.sh" "${pg[@]}" -d bench
psql -X -q -v ON_ERROR_STOP=1 "${pg[@]}" -d bench <<SQL
INSERT INTO "LIGNES_COMMANDE"
SELECT 1 + i % 2000, 100 + i / 2000, 'P' || lpad((1 + (i * 7) % 30)::text, 3, '0'), 1 + (i * 13) % 24,
       CASE WHEN i % 6 = 0 THEN 0.05 END
FROM generate_series(1, $rows - (SELECT count(*) FROM "LIGNES_COMMANDE")) i;
VACUUM ANALYZE;
SQL
echo "  $(psql -X -A -t "${pg[@]}" -d bench -c 'SELECT count(*) FROM "LIGNES_COMMANDE"') order lines"
mkdir -p "$work/server"
printf '[MORVELIN]\nTYPE=POSTGRESQL\nHOST=%s\nDATABASE=bench\nUSERNAME=morv\n' "$pgdata" > "$work/server/ALIASES.INI"
printf '[Options]\nPrivateQueryPath=%s/\n' "$work/out" > "$work/server/MORVELIN.INI"
psql_csv() { psql -X -q --csv "${pg[@]}" -d bench -f "$work/bench.sql" -o "$work/out/psql.csv"; }

t_psql=$(best psql_csv)
t_pg=$(best morv server "$work/queries/BENCH_DBF.MQR")
morv_cmd() { echo env -u DISPLAY -u WAYLAND_DISPLAY MORVELIN_WINDIR="$work/$1" "$build/bin/morv32" /EXE "$2"; }
m_psql=$(peak psql -X -q --csv "${pg[@]}" -d bench -f "$work/bench.sql" -o "$work/out/psql.csv")
m_pg=$(peak $(morv_cmd server "$work/queries/BENCH_DBF.MQR"))
m_one=$(peak $(morv_cmd small "$work/queries/BENCH_DBF.MQR"))
[ "$(wc -l < "$work/out/psql.csv")" = $((rows + 1)) ] || { echo "psql wrote $(wc -l < "$work/out/psql.csv") lines"; exit 1; }
awk -v p="$t_psql" -v g="$t_pg" -v mp="$m_psql" -v mg="$m_pg" -v mo="$m_one" 'BEGIN {
  printf "server     %-36s %6.3f s   %5d MB\n", "psql --csv", p, mp
  printf "           %-36s %6.3f s   %5d MB   ratio %.2f\n", "morv32 /EXE, PostgreSQL to .DBF", g, mg, g / p
  printf "           %-36s %6s     %5d MB\n", "morv32 /EXE, one row (SQLite)", "", mo
}'
