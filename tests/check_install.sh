#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed program
# on the installed sample as a new user would: no settings, no registry,
# started from another folder, nothing of the build tree on its paths.
#
#   check_install.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log"

bin="$prefix/bin"
fail() {
  echo "check_install: $*" >&2
  exit 1
}
[ -x "$bin/morv32" ] || fail "no morv32 in $bin"
engine=$(ldd "$bin/morv32" | awk '/libmorvelin_engine/ {print $3}')
[ "$engine" = "$bin/libmorvelin_engine.so" ] || fail "morv32 loads the engine from '$engine', not from $bin"
# The administration program beside it, on the same engine.
[ -x "$bin/morva32" ] || fail "no morva32 in $bin"
engine=$(ldd "$bin/morva32" | awk '/libmorvelin_engine/ {print $3}')
[ "$engine" = "$bin/libmorvelin_engine.so" ] || fail "morva32 loads the engine from '$engine', not from $bin"
# The configuration window's preview files, beside the programs.
for f in defmodel.mxf DefQuery.mxf; do
  [ -s "$bin/$f" ] || fail "no $f in $bin"
done

mkdir -m 700 "$scratch/settings" "$scratch/runtime" "$scratch/elsewhere"
status=0
(cd "$scratch/elsewhere" &&
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH \
    MORVELIN_WINDIR="$scratch/settings" MORVELIN_REGISTRY="$scratch/registry.ini" XDG_RUNTIME_DIR="$scratch/runtime" \
    "$bin/morv32" /EXE "$bin/sample/VENTES_PAR_PRODUIT.MQR") 2>"$scratch/err" || status=$?
cat "$scratch/err" >&2
[ "$status" -eq 0 ] || fail "the installed morv32 ended with status $status"
grep -q "Impression terminée." "$scratch/err" || fail "no \"Impression terminée.\""
for f in VENTES_PAR_PRODUIT.DBF VENTES_PAR_PRODUIT.TXT RAPPORT_VENTES.pdf; do
  [ -s "$bin/sample/$f" ] || fail "the run did not write $f beside the query"
done
echo "check_install: the installed tree runs the sample"
