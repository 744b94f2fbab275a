#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, only those missing.
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev libqt6sql6-sqlite libsqlite3-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core
          sqlite3 pxlib-dev python3-dbf)  # sqlite3: the copy benchmark's reference; pxlib, python3-dbf: independent readers of the table-file tests
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
