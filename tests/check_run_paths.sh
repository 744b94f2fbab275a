#!/usr/bin/env bash
# The programs of the output folder load their libraries from that folder
# and the system's, never from the folder they are started in: started in a
# folder holding damaged copies of the libraries they need, they run as
# anywhere else. And no program or library there carries a run path with
# an empty entry (which means the working folder).
#
#   check_run_paths.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "check_run_paths: $*" >&2
  exit 1
}

for f in "$bin"/*; do
  [ -f "$f" ] || continue
  head -c 4 "$f" | grep -q "ELF" || continue
  runpath=$(readelf -d "$f" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p; s/.*(RPATH).*\[\(.*\)\]/\1/p')
  [ -n "$runpath" ] || continue
  case ":$runpath:" in
    *::*) fail "$(basename "$f") has an empty run path entry: [$runpath]" ;;
  esac
done

# A folder with a damaged copy of every library the program needs.
for lib in $(ldd "$bin/morv32" | awk '/=>/ {print $1}'); do
  echo "not a library" > "$scratch/$lib"
done
mkdir -m 700 "$scratch/settings"
status=0
(cd "$scratch" && env -u DISPLAY -u WAYLAND_DISPLAY -u LD_LIBRARY_PATH MORVELIN_WINDIR="$scratch/settings" \
  "$bin/morv32" /EXE "$scratch/missing.MQR") >"$scratch/out" 2>&1 || status=$?
if grep -q "error while loading shared libraries" "$scratch/out"; then
  cat "$scratch/out" >&2
  fail "morv32 loads libraries from the folder it is started in"
fi
[ "$status" -eq 1 ] || { cat "$scratch/out" >&2; fail "a missing query file ends with status $status, not 1"; }
echo "check_run_paths: the programs load nothing from the working folder"
