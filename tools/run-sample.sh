#!/usr/bin/env bash
# Installs what is missing, makes a release build, and runs the bundled
# sample query unattended (morv32 /EXE), then shows where its results are.
#
#   tools/run-sample.sh [QUERY.MQR]
#
# Without an argument it runs the sample's sales query. The build goes into
# build/release (or $MORVELIN_BUILD_DIR). The run uses a
# settings folder of its own (MORVELIN_WINDIR), whose PrivateQueryPath is
# where the results go, so nothing of the user's own settings changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh" --build-only

build="${MORVELIN_BUILD_DIR:-$root/build/release}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVELIN_TESTS=OFF -DMORVELIN_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

bin="$build/bin"
query="${1:-$bin/sample/VENTES_PAR_PRODUIT.MQR}"
run="$build/sample-run"
results="$run/resultats"
mkdir -p "$run/settings" "$results"
printf '[Options]\nPrivateQueryPath=%s/\n' "$results" > "$run/settings/MORVELIN.INI"

echo "Running: morv32 /EXE $query"
status=0
MORVELIN_WINDIR="$run/settings" "$bin/morv32" /EXE "$query" || status=$?
echo
echo "Exit status: $status"
echo "Results in $results:"
ls -l "$results"
exit "$status"
