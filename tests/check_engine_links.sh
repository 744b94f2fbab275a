#!/bin/sh
# Fails when the engine library depends on QtGui or QtWidgets.
lib="$1"
deps=$(readelf -d "$lib" | grep NEEDED) || exit 1
echo "$deps"
if echo "$deps" | grep -E 'Qt6(Gui|Widgets|PrintSupport)' ; then
  echo "engine links a GUI library" >&2
  exit 1
fi
echo "$deps" | grep -q 'Qt6Core' || { echo "engine does not link QtCore" >&2; exit 1; }
