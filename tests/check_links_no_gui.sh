#!/bin/sh
# Fails when a library that must stay without widgets reaches a forbidden
# Qt module, seen two ways:
#   - CLOSURE (one target a line: the targets it links, followed through
#     every layer of ours) names one of the forbidden Qt targets;
#   - the built file (a static archive, a shared library or a program)
#     calls a function or uses a class that one of the forbidden Qt
#     libraries defines, or (shared library, program) needs one of them.
#
#   check_links_no_gui.sh CLOSURE BUILT... -- QTLIB...
#
# QTLIB are the forbidden Qt libraries' files (QtGui, QtWidgets, ...).
closure="$1"
shift
builts=""
while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do
  [ -f "$1" ] || { echo "no such file: $1" >&2; exit 1; }
  builts="$builts $1"
  shift
done
[ "$#" -gt 0 ] && shift
[ -n "$builts" ] || { echo "no built file given" >&2; exit 1; }
[ "$#" -gt 0 ] || { echo "no forbidden library given" >&2; exit 1; }

status=0
echo "linked targets:"
cat "$closure" || exit 1
for qt in "$@"; do
  module=$(basename "$qt" | sed -E 's/^lib(Qt6[A-Za-z]+).*/\1/')
  target=$(echo "$module" | sed -E 's/^Qt6/Qt6::/')
  if grep -Fx "$target" "$closure" ; then
    echo "its targets link $target" >&2
    status=1
  fi
  for built in $builts; do
    defined=$(mktemp) || exit 1
    used=$(mktemp) || exit 1
    nm -D --defined-only "$qt" | awk '{print $NF}' | sed 's/@.*//' | sort -u > "$defined"
    if [ "$(head -c 7 "$built")" = '!<arch>' ]; then
      nm --undefined-only "$built" 2>/dev/null | awk 'NF {print $NF}' | sort -u > "$used"
    else
      if readelf -d "$built" | grep NEEDED | grep -F "lib$module.so" ; then
        echo "$built needs lib$module" >&2
        status=1
      fi
      nm -D --undefined-only "$built" | awk 'NF {print $NF}' | sed 's/@.*//' | sort -u > "$used"
    fi
    calls=$(comm -12 "$defined" "$used" | c++filt)
    rm -f "$defined" "$used"
    if [ -n "$calls" ]; then
      echo "$calls" | head -20
      echo "$built uses $module" >&2
      status=1
    fi
  done
done
[ "$status" -eq 0 ] && echo "none of $* reached by$builts"
exit "$status"
