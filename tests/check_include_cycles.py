#!/usr/bin/env python3
"""Fails when the source folders include each other in a cycle, or a lower
layer includes from a higher one.

    check_include_cycles.py ROOT TARGETS [--known FROM>TO]...

ROOT is the source tree. TARGETS is the file the build writes when it is
configured: for each library and program of ours, one line of three
tab-separated fields, its source folder, its include folders (in the order
the compiler searches them) and its sources, the last two separated by ';'.

Both include forms are read. A quoted include is looked up in the including
file's folder first, then in the include folders; an include in angle
brackets in the include folders only; the first file found is the one
meant, as for the compiler. A file is read with the include folders of the
target that compiles it (a header reached from a target's source with that
target's), a file no target reaches with those of the target whose source
folder holds it. What is found outside ROOT (Qt, the system) is no part of
the check.

A folder is a second-level folder of engine/, platform/, ui/, query/ and
admin/ (engine/core, query/designer), or report/, startup/ or runtime/; the
files directly in one of those top folders make a folder of their own
(query, admin). Every folder belongs to a layer, in the order

    platform -> engine -> report -> ui -> programs

where startup/ (the programs' start-up, over the engine and QtCore alone)
belongs to the engine's layer, report is report/, ui is ui/, and query/,
admin/ and runtime/ are the programs. A folder includes only from its own layer and the layers
before it, and no folders include each other in a cycle. An include that
breaks the order and is listed with --known FROM>TO (folders) is reported
but does not fail the check; one that is listed but no longer made is
reported too, so that the list can shrink.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"]+)[>"]', re.M)
TOPS = ('platform', 'engine', 'startup', 'report', 'ui', 'query', 'admin', 'runtime')
# The top folders that are one folder each, whatever their subfolders.
WHOLE = ('startup', 'report', 'runtime')
LAYERS = ('platform', 'engine', 'report', 'ui', 'programs')


def folder_of(rel):
    """The folder a file (relative to the source tree) belongs to, or None."""
    parts = rel.split('/')
    if parts[0] not in TOPS:
        return None
    if parts[0] in WHOLE or len(parts) == 2:
        return parts[0]
    return parts[0] + '/' + parts[1]


def layer_of(folder):
    top = folder.split('/')[0]
    if top == 'startup':
        return 'engine'
    if top in ('platform', 'engine', 'report', 'ui'):
        return top
    return 'programs'


def read_targets(path, root):
    targets = []
    with open(path, encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if not line:
                continue
            source_dir, dirs, sources = (line.split('\t') + ['', ''])[:3]
            source_dir = os.path.normpath(source_dir)
            dirs = tuple(os.path.normpath(d) for d in dirs.split(';') if d)
            files = []
            for s in sources.split(';'):
                if not s or '$<' in s:
                    continue
                p = os.path.normpath(s if os.path.isabs(s) else os.path.join(source_dir, s))
                if p.endswith(('.h', '.cpp')) and os.path.isfile(p):
                    files.append(p)
            targets.append((source_dir, dirs, files))
    return targets


class Scanner:
    def __init__(self, root):
        self.root = os.path.normpath(root)
        self.texts = {}
        self.done = set()
        self.reached = set()
        # (from folder, to folder) -> the includes that make the step
        self.edges = {}

    def includes(self, path):
        if path not in self.texts:
            with open(path, encoding='utf-8', errors='replace') as f:
                self.texts[path] = INCLUDE.findall(f.read())
        return self.texts[path]

    def inside(self, path):
        rel = os.path.relpath(path, self.root)
        return None if rel.startswith('..') else rel.replace(os.sep, '/')

    def resolve(self, path, form, name, dirs):
        bases = ((os.path.dirname(path),) if form == '"' else ()) + dirs
        for base in bases:
            candidate = os.path.normpath(os.path.join(base, name))
            if os.path.isfile(candidate):
                return candidate
        return None

    def scan(self, path, dirs):
        todo = [path]
        while todo:
            path = todo.pop()
            if (path, dirs) in self.done:
                continue
            self.done.add((path, dirs))
            self.reached.add(path)
            rel = self.inside(path)
            here = folder_of(rel) if rel else None
            for form, name in self.includes(path):
                target = self.resolve(path, form, name, dirs)
                if not target:
                    continue
                target_rel = self.inside(target)
                if not target_rel:
                    continue
                todo.append(target)
                there = folder_of(target_rel)
                if here and there and there != here:
                    line = f'{rel} includes {target_rel}' + (
                        f' (as {form}{name}{">" if form == "<" else chr(34)})'
                        if name != target_rel else '')
                    lines = self.edges.setdefault((here, there), [])
                    if line not in lines:
                        lines.append(line)


def shortest_cycle(graph, component):
    """A shortest cycle through the first folder of a component."""
    start = component[0]
    inside = set(component)
    came = {}
    todo = [start]
    while todo:
        following = []
        for v in todo:
            for w in sorted(graph[v]):
                if w not in inside or w in came:
                    continue
                came[w] = v
                if w == start:
                    path = [start]
                    v = came[start]
                    while v != start:
                        path.append(v)
                        v = came[v]
                    path.append(start)
                    return list(reversed(path))
                following.append(w)
        todo = following
    return component


def cycles(edges):
    """The strongly connected components of more than one folder, each with
    a shortest cycle through it."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set())
    index, low, stack, on, found = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in sorted(graph[v]):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                component = sorted(component)
                found.append((component, shortest_cycle(graph, component)))

    sys.setrecursionlimit(10000)
    for v in sorted(graph):
        if v not in index:
            visit(v)
    return found


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    root, targets_file = argv[1], argv[2]
    known = set()
    rest = argv[3:]
    while rest:
        if rest[0] != '--known' or len(rest) < 2 or '>' not in rest[1]:
            print(f'unexpected argument: {rest[0]}', file=sys.stderr)
            return 2
        a, b = rest[1].split('>', 1)
        known.add((a, b))
        rest = rest[2:]

    scanner = Scanner(root)
    targets = read_targets(targets_file, scanner.root)
    if not targets:
        print(f'{targets_file}: no target', file=sys.stderr)
        return 2
    for _, dirs, files in targets:
        for path in files:
            scanner.scan(path, dirs)
    # What no target compiles is read as the target whose folder holds it
    # would read it.
    by_folder = sorted(targets, key=lambda t: len(t[0]), reverse=True)
    for top in TOPS:
        for here, _, names in os.walk(os.path.join(scanner.root, top)):
            for name in sorted(names):
                path = os.path.join(here, name)
                if not name.endswith(('.h', '.cpp')) or path in scanner.reached:
                    continue
                dirs = next((d for s, d, _ in by_folder
                             if path.startswith(s + os.sep)), (scanner.root,))
                scanner.scan(path, dirs)

    status = 0
    rank = {layer: i for i, layer in enumerate(LAYERS)}
    made = set()
    for (a, b), why in sorted(scanner.edges.items()):
        if rank[layer_of(a)] >= rank[layer_of(b)]:
            continue
        made.add((a, b))
        tag = 'known' if (a, b) in known else 'wrong'
        print(f'{tag}: {a} ({layer_of(a)}) includes from {b} ({layer_of(b)}), a later layer')
        for line in why[:3]:
            print(f'  {line}')
        if tag == 'wrong':
            status = 1
    for a, b in sorted(known - made):
        print(f'no longer made, to take off the known list: {a}>{b}')

    # An include the known list excuses makes no cycle either: it goes when
    # its folder moves.
    steps = {edge: why for edge, why in scanner.edges.items() if edge not in known}
    for component, cycle in cycles(steps):
        status = 1
        print(f'folders including each other: {", ".join(component)}')
        print(f'  for instance {" -> ".join(cycle)}:')
        for a, b in zip(cycle, cycle[1:]):
            print(f'    {a} -> {b}: {steps[(a, b)][0]}')
    if status == 0:
        print(f'{len(scanner.reached)} files, {len(scanner.edges)} folder steps: '
              'no cycle, no include against the layer order')
    return status


if __name__ == '__main__':
    sys.exit(main(sys.argv))
