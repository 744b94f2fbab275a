#!/usr/bin/env python3
"""Fails when a QObject subclass of ours is declared without Q_OBJECT.

    check_qobject_macro.py ROOT...

Every class or struct declared in the .h and .cpp files under a ROOT is read
with its bases. A class is a QObject when one of its bases is a Qt class of
the QObject family, or a class of ours that is one. Such a class must say
Q_OBJECT in its own body: without it, qobject_cast, metaObject()->className(),
tr() and the signals and slots it declares all answer for its base class.
Each class that lacks it is printed with its file and line, and the check
fails.

Qt's classes are told apart by name: every base named Q... is taken as a
QObject except the few value, item and interface classes listed below. A
new such base added to the project goes into that list.
"""
import os
import re
import sys

# Qt classes of ours' bases that are not QObjects.
QT_NOT_QOBJECT = {
    'QTreeWidgetItem', 'QListWidgetItem', 'QTableWidgetItem', 'QStandardItem',
    'QGraphicsItem', 'QGraphicsRectItem', 'QGraphicsLineItem', 'QGraphicsPathItem',
    'QGraphicsSimpleTextItem', 'QGraphicsEllipseItem', 'QGraphicsPolygonItem',
    'QGraphicsPixmapItem', 'QGraphicsItemGroup', 'QLayoutItem', 'QSpacerItem',
    'QWidgetItem', 'QEvent', 'QRunnable', 'QSharedData', 'QPaintDevice',
    'QPagedPaintDevice', 'QPaintEngine', 'QTextObjectInterface', 'QMimeDataItem',
    'QException', 'QScopeGuard', 'QStyleOption', 'QAbstractNativeEventFilter',
    'QEnableSharedFromThis',
}

# "class NAME [final] : bases {" up to the brace, across lines.
CLASS = re.compile(
    r'\b(?:class|struct)\s+(?:\w+\s+)*?([A-Za-z_]\w*)\s*(?:final\s*)?:(?!:)\s*([^;{}()]*?)\{')
BASE = re.compile(r'(?:(?:public|protected|private|virtual)\s+)*([\w:]+)\s*(?:<[^>]*>)?\s*$')
MACRO = re.compile(r'\bQ_OBJECT\b')


def strip(text):
    """The text with comments and string literals blanked, lines kept."""
    def blank(m):
        return re.sub(r'[^\n]', ' ', m.group(0))
    return re.sub(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'',
                  blank, text, flags=re.S)


def body_has_macro(text, start):
    """Whether the class body opening at text[start] says Q_OBJECT at its own level."""
    depth, i, own = 0, start, []
    while i < len(text):
        c = text[i]
        if c == '{':
            depth += 1
        elif c == '}':
            depth -= 1
            if depth == 0:
                break
        elif depth == 1:
            own.append(c)
        i += 1
    return bool(MACRO.search(''.join(own)))


def classes(roots):
    found = []
    for root in roots:
        for here, dirs, files in os.walk(root):
            dirs[:] = sorted(d for d in dirs if not d.startswith(('.', 'build')))
            for name in sorted(files):
                if not name.endswith(('.h', '.cpp')):
                    continue
                path = os.path.join(here, name)
                with open(path, encoding='utf-8', errors='replace') as f:
                    text = strip(f.read())
                for m in CLASS.finditer(text):
                    head = text[max(0, m.start() - 200):m.start()]
                    # A template cannot carry Q_OBJECT: moc does not read it.
                    if re.search(r'template\s*<[^;{}]*>\s*$', head):
                        continue
                    bases = []
                    for part in m.group(2).split(','):
                        b = BASE.match(part.strip())
                        if b:
                            bases.append(b.group(1).split('::')[-1])
                    line = text.count('\n', 0, m.start()) + 1
                    found.append((m.group(1), bases, path, line,
                                  body_has_macro(text, m.end() - 1)))
    return found


def main(roots):
    found = classes(roots)
    ours = {}
    for name, bases, _, _, _ in found:
        ours.setdefault(name, set()).update(bases)
    memo = {}

    def is_qobject(name, seen=()):
        if name in memo:
            return memo[name]
        if name in ours:
            result = any(b not in seen and is_qobject(b, seen + (name,)) for b in ours[name])
        else:
            result = bool(re.match(r'^Q[A-Z]\w*$', name)) and name not in QT_NOT_QOBJECT
        memo[name] = result
        return result

    missing = [(path, line, name) for name, bases, path, line, has in found
               if not has and any(is_qobject(b) for b in bases)]
    for path, line, name in missing:
        print(f'{path}:{line}: {name} is a QObject without Q_OBJECT')
    return 1 if missing else 0


if __name__ == '__main__':
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
