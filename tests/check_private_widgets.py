#!/usr/bin/env python3
"""Fails when a window of ours shows one of its widgets in its header.

    check_private_widgets.py ROOT...

Every class declared in the .h files under a ROOT is read with its bases. A
class is a widget when one of its bases is a Qt widget class or a class of
ours that is one. Such a class keeps its parts (widgets, menus, actions) in
a private table defined in its .cpp: a public data member whose type is a
widget or an action lets other code reach into the window and tie itself to
how the window is built. Tests and pictures find a part by its objectName.
Each public part found is printed with its file and line, and the check
fails.

Qt's widget classes are told apart by the list below; a new Qt widget base
used by the project goes into it.
"""
import re
import sys

from sourcescan import declarations, derives

QT_WIDGETS = {
    'QWidget', 'QDialog', 'QMainWindow', 'QFrame', 'QLabel', 'QAbstractButton',
    'QPushButton', 'QToolButton', 'QCheckBox', 'QRadioButton', 'QComboBox',
    'QFontComboBox', 'QLineEdit', 'QAbstractScrollArea', 'QScrollArea',
    'QAbstractItemView', 'QListView', 'QTreeView', 'QTableView', 'QColumnView',
    'QListWidget', 'QTreeWidget', 'QTableWidget', 'QHeaderView', 'QTabWidget',
    'QTabBar', 'QGroupBox', 'QPlainTextEdit', 'QTextEdit', 'QTextBrowser',
    'QAbstractSpinBox', 'QSpinBox', 'QDoubleSpinBox', 'QDateTimeEdit', 'QDateEdit',
    'QTimeEdit', 'QProgressBar', 'QMenu', 'QMenuBar', 'QToolBar', 'QStatusBar',
    'QSplitter', 'QGraphicsView', 'QStackedWidget', 'QAbstractSlider', 'QSlider',
    'QScrollBar', 'QDialogButtonBox', 'QSplashScreen', 'QMessageBox', 'QFileDialog',
    'QProgressDialog', 'QToolBox', 'QDockWidget', 'QSizeGrip', 'QRubberBand',
    'QCalendarWidget', 'QKeySequenceEdit',
}
# Parts that are not widgets but belong to a window all the same.
QT_PARTS = QT_WIDGETS | {'QAction', 'QActionGroup', 'QButtonGroup'}

ACCESS = re.compile(r'\b(public|protected|private)\s*(?:Q_SLOTS|slots)?\s*:(?!:)')
# "Type* name;", "Type* name = nullptr;", "Type* name[N] = {};"
MEMBER = re.compile(r'^\s*(?:(?:const|mutable|inline|static)\s+)*([\w:]+)\s*\*\s*(?:const\s+)?'
                    r'([A-Za-z_]\w*)\s*(?:\[[^\]]*\])?\s*(?:=[^;]*|\{[^;]*\})?$', re.S)


def public_members(kind, body):
    """(type, name) of each public pointer data member of the body."""
    access = 'public' if kind == 'struct' else 'private'
    out = []
    # split gives text, label, text, label, ...
    for i, piece in enumerate(ACCESS.split(body)):
        if i % 2 == 1:
            access = piece
            continue
        if access != 'public':
            continue
        for stmt in piece.split(';'):
            m = MEMBER.match(stmt)
            if m and '(' not in stmt:
                out.append((m.group(1).split('::')[-1], m.group(2)))
    return out


def main(roots):
    decls = declarations(roots, ('.h',))
    is_widget = derives(decls, lambda name: name in QT_WIDGETS)
    shown = []
    for d in decls:
        if not any(is_widget(b) for b in d.bases):
            continue
        for type_, member in public_members(d.kind, d.body):
            if type_ in QT_PARTS or is_widget(type_):
                shown.append((d, member, type_))
    for d, member, type_ in shown:
        print(f'{d.path}:{d.line}: {d.name} shows its part {member} ({type_}*) in its header')
    return 1 if shown else 0


if __name__ == '__main__':
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
