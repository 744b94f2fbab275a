#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing.
#
#   tools/install-deps.sh              what building, running and testing need
#   tools/install-deps.sh --build-only what building and running need
set -euo pipefail
# qt6-translations-l10n: Qt's own dialogs and buttons in the session's language.
packages=(cmake ninja-build g++ qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libpq-dev fonts-dejavu-core qt6-translations-l10n)
if [ "${1:-}" != "--build-only" ]; then
  # clang: the fuzz targets; sqlite3: the reference of the benchmarks;
  # pxlib, python3-dbf: independent readers of the table-file tests;
  # postgresql: the server the PostgreSQL tests start for themselves;
  # poppler-utils: pdfinfo and pdftotext read the PDF files of the report
  # runtime and of the step reports.
  packages+=(clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev sqlite3 pxlib-dev python3-dbf
             postgresql poppler-utils)
fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -q
  apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
fi
