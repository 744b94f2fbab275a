"""What the source checks read of our C++ files: the text without comments
and strings, the classes declared with their bases and bodies, and whether
a class derives, through classes of ours, from one of a set of Qt classes.
"""
import os
import re

# "class NAME [final] [: bases] {" up to the brace, across lines.
CLASS = re.compile(
    r'\b(class|struct)\s+(?:\w+\s+)*?([A-Za-z_]\w*)\s*(?:final\s*)?(?::(?!:)\s*([^;{}()]*?))?\{')
BASE = re.compile(r'(?:(?:public|protected|private|virtual)\s+)*([\w:]+)\s*(?:<[^>]*>)?\s*$')
TEMPLATE_HEAD = re.compile(r'template\s*<[^;{}]*>\s*$')


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


def source_files(roots, endings):
    """Each file under the roots whose name ends so, in a stable order."""
    for root in roots:
        for here, dirs, files in os.walk(root):
            dirs[:] = sorted(d for d in dirs if not d.startswith(('.', 'build')))
            for name in sorted(files):
                if name.endswith(endings):
                    yield os.path.join(here, name)


class Decl:
    """One class or struct declared with a body."""
    def __init__(self, kind, name, bases, path, line, body, template):
        self.kind, self.name, self.bases = kind, name, bases
        self.path, self.line, self.body, self.template = path, line, body, template


def declarations(roots, endings):
    found = []
    for path in source_files(roots, endings):
        with open(path, encoding='utf-8', errors='replace') as f:
            text = strip(f.read())
        for m in CLASS.finditer(text):
            bases = []
            for part in (m.group(3) or '').split(','):
                b = BASE.match(part.strip())
                if b:
                    bases.append(b.group(1).split('::')[-1])
            head = text[max(0, m.start() - 200):m.start()]
            found.append(Decl(m.group(1), m.group(2), bases, path,
                              text.count('\n', 0, m.start()) + 1,
                              own_level(text, m.end() - 1), bool(TEMPLATE_HEAD.search(head))))
    return found


def derives(decls, is_qt_root):
    """A function telling whether a class name is, through classes of ours,
    one of the Qt classes is_qt_root accepts (a name of none of ours is
    asked of is_qt_root itself)."""
    ours = {}
    for d in decls:
        ours.setdefault(d.name, set()).update(d.bases)
    memo = {}

    def test(name, seen=()):
        if name in memo:
            return memo[name]
        if name in ours:
            result = any(b not in seen and test(b, seen + (name,)) for b in ours[name])
        else:
            result = is_qt_root(name)
        memo[name] = result
        return result
    return test
