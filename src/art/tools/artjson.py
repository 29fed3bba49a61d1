"""Helpers shared by the picture generators: rounding and writing a picture description."""
import json
import os

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..'))


def r4(v):
    return round(v, 4)


def union(*boxes):
    return (min(b[0] for b in boxes), min(b[1] for b in boxes), max(b[2] for b in boxes), max(b[3] for b in boxes))


class Art:
    def __init__(self, ident, w, h):
        self.id, self.w, self.h = ident, w, h
        self.items = []

    def add(self, **kw):
        self.items.append(kw)

    def write(self):
        path = os.path.join(ROOT, 'resources', 'art', self.id + '.json')
        with open(path, 'w', encoding='utf-8') as f:
            f.write('{\n  "size": [%d, %d],\n  "items": [\n' % (self.w, self.h))
            for i, it in enumerate(self.items):
                f.write('    ' + json.dumps(rounded(it), ensure_ascii=False) + (',\n' if i + 1 < len(self.items) else '\n'))
            f.write('  ]\n}\n')


def rounded(o):
    if isinstance(o, float):
        return round(o, 2)
    if isinstance(o, list):
        return [rounded(v) for v in o]
    if isinstance(o, dict):
        return {k: rounded(v) for k, v in o.items()}
    return o
