#!/bin/sh
# Fails when the report layer reaches QtWidgets: in the targets it links
# (CLOSURE, one target a line) or in what a program made of it needs at run
# time (BIN); and when BIN does not need QtGui and QtPrintSupport (the
# check would then prove nothing).
bin="$1"
closure="$2"
echo "linked targets:"
cat "$closure" || exit 1
if grep -E 'Widgets' "$closure" ; then
  echo "the report layer links QtWidgets" >&2
  exit 1
fi
deps=$(readelf -d "$bin" | grep NEEDED) || exit 1
echo "$deps"
if echo "$deps" | grep -E 'Qt6Widgets' ; then
  echo "the report layer needs QtWidgets" >&2
  exit 1
fi
for lib in Qt6Gui Qt6PrintSupport; do
  echo "$deps" | grep -q "$lib" || { echo "the report layer does not need $lib" >&2; exit 1; }
done
