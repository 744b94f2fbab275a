#!/usr/bin/env python3
"""Fails when the folders under a source root include each other in a cycle.

    check_include_cycles.py ROOT...

Each folder directly under a ROOT is a layer. A quoted #include of a file in
another folder (by "folder/file.h" from ROOT, or by a relative path) makes
the including folder depend on it. A cycle among the folders is printed
with the includes that make each of its steps, and the check fails.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def dependencies(root):
    edges = {}
    for folder in sorted(os.listdir(root)):
        top = os.path.join(root, folder)
        if not os.path.isdir(top):
            continue
        for here, _, files in os.walk(top):
            for name in sorted(files):
                if not name.endswith(('.h', '.cpp')):
                    continue
                path = os.path.join(here, name)
                with open(path, encoding='utf-8', errors='replace') as f:
                    text = f.read()
                for m in INCLUDE.finditer(text):
                    target = None
                    for base in (here, root):
                        candidate = os.path.normpath(os.path.join(base, m.group(1)))
                        if os.path.isfile(candidate):
                            target = candidate
                            break
                    if not target:
                        continue
                    rel = os.path.relpath(target, root)
                    if rel.startswith('..'):
                        continue
                    other = rel.split(os.sep)[0]
                    if other != folder:
                        edges.setdefault(folder, {}).setdefault(other, []).append(
                            f'{os.path.relpath(path, root)} includes {rel}')
    return edges


def cycles(edges):
    """The strongly connected components of more than one folder."""
    index, low, stack, on, found = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in edges.get(v, {}):
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
                found.append(sorted(component))

    for v in sorted(set(edges) | {w for ws in edges.values() for w in ws}):
        if v not in index:
            visit(v)
    return found


def main():
    status = 0
    for root in sys.argv[1:]:
        edges = dependencies(root)
        bad = cycles(edges)
        for component in bad:
            print(f'{root}: folders including each other: {", ".join(component)}')
            for a in component:
                for b in component:
                    for why in edges.get(a, {}).get(b, [])[:3]:
                        print(f'  {a} -> {b}: {why}')
        if bad:
            status = 1
        else:
            print(f'{root}: no include cycle among its folders')
    return status


if __name__ == '__main__':
    sys.exit(main())
