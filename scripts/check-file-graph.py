#!/usr/bin/env python3
"""Checks the shape of the code: no circle of files, and no file that reaches up a layer.

A file here is a source's stem (X.h and X.cpp are one). A file reaches another when it
includes one of its headers, or when its object file uses a symbol that only the other's
object file defines (a member of one class defined in several files is such a tie).

Usage: check-file-graph.py [--circles-fail] SOURCE_DIR BUILD_DIR
Prints every circle and every upward reach with the include or symbol behind it; ends with 1
if a file reaches up a layer (or, with --circles-fail, if there is a circle), 0 otherwise.
Without the objects (BUILD_DIR not built) the includes alone are checked.
"""
import collections
import os
import re
import subprocess
import sys

# The layers from the bottom up. A file may reach its own layer and the ones below it.
LAYERS = [
    'link',
    'sim',
    'core/model',
    'core/diskwriter',
    'core/engine',
    'core/alarm',
    'core/record',
    'core/editor',
    'core/comm',
    'core/publish',
    'widgets',
    'monitor/logging',
    'monitor/chart',
    'monitor/files',
    'monitor/ui',
    'monitor/app',
    'gateway',
]
# Folders that stand beside each other and never reach one another.
APART = [('gateway', 'monitor'), ('gateway', 'widgets'), ('sim', 'core')]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer_of(unit):
    best = None
    for index, layer in enumerate(LAYERS):
        if unit == layer or unit.startswith(layer + '/'):
            if best is None or len(layer) > len(LAYERS[best]):
                best = index
    return best


def source_units(src):
    units = collections.defaultdict(list)
    headers = collections.defaultdict(list)
    for top in sorted({layer.split('/')[0] for layer in LAYERS}):
        for root, _, files in os.walk(os.path.join(src, top)):
            for name in files:
                if name.endswith(('.cpp', '.h')):
                    path = os.path.relpath(os.path.join(root, name), src)
                    unit = os.path.splitext(path)[0]
                    units[unit].append(path)
                    if name.endswith('.h'):
                        headers[name].append(unit)
    return units, headers


def object_files(build, units):
    objects = {}
    for root, _, files in os.walk(build):
        if 'CMakeFiles' not in root or 'autogen' in root:
            continue
        for name in files:
            if not name.endswith('.cpp.o'):
                continue
            rel = os.path.relpath(os.path.join(root, name[:-2]), build)
            folder, _, rest = rel.partition('/CMakeFiles/')
            source = rest.split('.dir/', 1)[-1]
            unit = os.path.splitext(os.path.join(folder, source))[0]
            if unit in units:
                objects[unit] = os.path.join(root, name)
    return objects


def symbols(path, flags):
    out = subprocess.run(['nm', '-C'] + flags + [path], capture_output=True, text=True, check=False).stdout
    return out.splitlines()


def draw(src, build):
    units, headers = source_units(src)
    edges = collections.defaultdict(dict)
    for unit, paths in units.items():
        for path in paths:
            with open(os.path.join(src, path), errors='replace') as text:
                for name in INCLUDE.findall(text.read()):
                    for other in headers.get(os.path.basename(name), []):
                        if other != unit:
                            edges[unit].setdefault(other, 'includes ' + name)
    objects = object_files(build, units)
    definers = collections.defaultdict(set)
    for unit, path in objects.items():
        for line in symbols(path, ['--defined-only']):
            parts = line.split(' ', 2)
            if len(parts) == 3 and parts[1] in 'TDBR':
                definers[parts[2]].add(unit)
    for unit, path in objects.items():
        for line in symbols(path, ['-u']):
            name = line.strip().split(' ', 1)[-1]
            owners = definers.get(name, ())
            if len(owners) == 1:
                other = next(iter(owners))
                if other != unit:
                    edges[unit].setdefault(other, 'uses ' + name[:100])
    return units, edges, bool(objects)


def circles(units, edges):
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(start):
        # Tarjan's strongly connected components, without recursion.
        work = [(start, iter(sorted(edges[start])))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(edges[child]))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))

    for unit in sorted(units):
        if unit not in index:
            visit(unit)
    return found


def upward(edges):
    reaches = []
    for unit, targets in sorted(edges.items()):
        mine = layer_of(unit)
        for other, why in sorted(targets.items()):
            theirs = layer_of(other)
            apart = any((unit.startswith(a + '/') and other.startswith(b + '/'))
                        or (unit.startswith(b + '/') and other.startswith(a + '/')) for a, b in APART)
            if mine is not None and theirs is not None and (theirs > mine or apart):
                reaches.append((unit, other, why))
    return reaches


def main():
    args = sys.argv[1:]
    circles_fail = '--circles-fail' in args
    args = [a for a in args if a != '--circles-fail']
    if len(args) != 2:
        sys.exit(__doc__)
    units, edges, with_objects = draw(args[0], args[1])
    found = circles(units, edges)
    for component in found:
        members = set(component)
        print('circle of %d files:' % len(component))
        for unit in component:
            for other, why in sorted(edges[unit].items()):
                if other in members:
                    print('    %s -> %s (%s)' % (unit, other, why))
    reaches = upward(edges)
    for unit, other, why in reaches:
        print('reaches up: %s -> %s (%s)' % (unit, other, why))
    print('%d files, %d circles, %d upward reaches%s' % (len(units), len(found), len(reaches),
                                                       '' if with_objects else ' (includes only)'))
    sys.exit(1 if reaches or (found and circles_fail) else 0)


if __name__ == '__main__':
    main()
