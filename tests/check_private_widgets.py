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
import os
import re
import sys

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

CLASS = re.compile(
    r'\b(class|struct)\s+(?:\w+\s+)*?([A-Za-z_]\w*)\s*(?:final\s*)?(?::(?!:)\s*([^;{}()]*?))?\{')
BASE = re.compile(r'(?:(?:public|protected|private|virtual)\s+)*([\w:]+)\s*(?:<[^>]*>)?\s*$')
ACCESS = re.compile(r'\b(public|protected|private)\s*(?:Q_SLOTS|slots)?\s*:(?!:)')
# "Type* name;", "Type* name = nullptr;", "Type* name[N] = {};"
MEMBER = re.compile(r'^\s*(?:(?:const|mutable|inline|static)\s+)*([\w:]+)\s*\*\s*(?:const\s+)?'
                    r'([A-Za-z_]\w*)\s*(?:\[[^\]]*\])?\s*(?:=[^;]*|\{[^;]*\})?$', re.S)


def strip(text):
    """The text with comments and string literals blanked, lines kept."""
    def blank(m):
        return re.sub(r'[^\n]', ' ', m.group(0))
    return re.sub(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'',
                  blank, text, flags=re.S)


def own_level(text, start):
    """The class body opening at text[start], its nested braces blanked."""
    depth, i, own = 0, start, []
    while i < len(text):
        c = text[i]
        if c == '{':
            depth += 1
            own.append(' ' if depth > 1 else c)
        elif c == '}':
            depth -= 1
            if depth == 0:
                break
            own.append(' ')
        else:
            own.append(c if depth == 1 or c == '\n' else ' ')
        i += 1
    return ''.join(own)[1:]


def classes(roots):
    found = []
    for root in roots:
        for here, dirs, files in os.walk(root):
            dirs[:] = sorted(d for d in dirs if not d.startswith(('.', 'build')))
            for name in sorted(files):
                if not name.endswith('.h'):
                    continue
                path = os.path.join(here, name)
                with open(path, encoding='utf-8', errors='replace') as f:
                    text = strip(f.read())
                for m in CLASS.finditer(text):
                    bases = []
                    for part in (m.group(3) or '').split(','):
                        b = BASE.match(part.strip())
                        if b:
                            bases.append(b.group(1).split('::')[-1])
                    line = text.count('\n', 0, m.start()) + 1
                    found.append((m.group(2), m.group(1), bases, path, line,
                                  own_level(text, m.end() - 1)))
    return found


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
    found = classes(roots)
    ours = {}
    for name, _, bases, _, _, _ in found:
        ours.setdefault(name, set()).update(bases)
    memo = {}

    def is_widget(name, seen=()):
        if name in memo:
            return memo[name]
        if name in ours:
            result = any(b not in seen and is_widget(b, seen + (name,)) for b in ours[name])
        else:
            result = name in QT_WIDGETS
        memo[name] = result
        return result

    shown = []
    for name, kind, bases, path, line, body in found:
        if not any(is_widget(b) for b in bases):
            continue
        for type_, member in public_members(kind, body):
            if type_ in QT_PARTS or is_widget(type_):
                shown.append((path, line, name, member, type_))
    for path, line, name, member, type_ in shown:
        print(f'{path}:{line}: {name} shows its part {member} ({type_}*) in its header')
    return 1 if shown else 0


if __name__ == '__main__':
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
