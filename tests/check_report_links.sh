#!/bin/sh
# Fails when the report layer reaches QtWidgets: in the targets it links
# (CLOSURE, one target a line) or in the widget classes a program made of
# it (BIN) calls; and when BIN does not need QtGui and QtPrintSupport (the
# check would then prove nothing). BIN's needed libraries may list
# QtWidgets: QtPrintSupport's own library needs it, and Qt's package makes
# every user of QtPrintSupport link it.
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
for lib in Qt6Gui Qt6PrintSupport; do
  echo "$deps" | grep -q "$lib" || { echo "the report layer does not need $lib" >&2; exit 1; }
done
widgets=$(nm -D --undefined-only "$bin" | c++filt | \
  grep -E '\bQ(Widget|Application|Dialog|PrintDialog|PageSetupDialog|PrintPreviewDialog|PrintPreviewWidget|AbstractButton|Layout|MainWindow|MessageBox)\b') || true
if [ -n "$widgets" ]; then
  echo "$widgets"
  echo "the report layer calls widget classes" >&2
  exit 1
fi
