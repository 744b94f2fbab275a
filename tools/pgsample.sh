#!/usr/bin/env bash
# Loads the sample database into a PostgreSQL database: the tables of
# data/sample/sample_postgresql.sql (dropped first when they exist), filled
# with the rows data/sample/sample.sql makes, so that the sample queries
# give the same rows through an alias of TYPE=POSTGRESQL as on SQLite.
#
#   tools/pgsample.sh [psql connection options...]
#   tools/pgsample.sh -h localhost -p 5432 -U moi -d ventes
#
# The options go to psql as they stand (PGPASSWORD, PGHOST... and
# ~/.pgpass work as usual). Needs sqlite3 and psql.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for tool in sqlite3 psql; do
  command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sqlite3 "$work/sample.db" < "$root/data/sample/sample.sql"

pg() { PGOPTIONS="${PGOPTIONS:-} -c client_min_messages=warning" psql -X -q -v ON_ERROR_STOP=1 "$@"; }
pg "$@" -f "$root/data/sample/sample_postgresql.sql"
# In the order of the references; NULL written as \N, so that an empty
# text stays empty.
for table in VILLES CLIENTS PRODUITS COMMANDES LIGNES_COMMANDE; do
  sqlite3 -csv -cmd '.nullvalue "\\N"' "$work/sample.db" "SELECT * FROM $table" |
    pg "$@" -c "\\copy \"$table\" FROM pstdin WITH (FORMAT csv, NULL '\\N', ENCODING 'UTF8')"
done
pg "$@" -c 'ANALYZE'
