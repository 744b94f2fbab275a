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
import re
import sys

from sourcescan import declarations, derives

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

MACRO = re.compile(r'\bQ_OBJECT\b')


def main(roots):
    decls = declarations(roots, ('.h', '.cpp'))
    is_qobject = derives(decls, lambda name: bool(re.match(r'^Q[A-Z]\w*$', name))
                         and name not in QT_NOT_QOBJECT)
    # A template cannot carry Q_OBJECT: moc does not read it.
    missing = [d for d in decls
               if not d.template and d.bases and not MACRO.search(d.body)
               and any(is_qobject(b) for b in d.bases)]
    for d in missing:
        print(f'{d.path}:{d.line}: {d.name} is a QObject without Q_OBJECT')
    return 1 if missing else 0


if __name__ == '__main__':
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
