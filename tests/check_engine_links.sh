#!/bin/sh
# Fails when the engine library depends on QtGui or QtWidgets, or on
# libpq (which the database engine loads when a server database is first
# opened, never at start).
lib="$1"
deps=$(readelf -d "$lib" | grep NEEDED) || exit 1
echo "$deps"
if echo "$deps" | grep -E 'Qt6(Gui|Widgets|PrintSupport)' ; then
  echo "engine links a GUI library" >&2
  exit 1
fi
echo "$deps" | grep -q 'Qt6Core' || { echo "engine does not link QtCore" >&2; exit 1; }
if echo "$deps" | grep -F 'libpq.so' ; then
  echo "engine links libpq" >&2
  exit 1
fi
