#!/usr/bin/env python3
"""Writes resources/signs.json and the main window's resources/art/*.json.

The composed signs need the ink boxes of the Noto Music glyphs, because the font stacks nothing by
itself and puts several marks at heights of its own. Get them with
    QT_QPA_PLATFORM=offscreen artpreview --metrics /tmp/art_metrics.json
then run
    python3 src/art/tools/genart.py /tmp/art_metrics.json
from the top of the tree. Offsets in signs.json are in em units (1000 font units), y downwards.
The key rectangles are read from resources/windows/MainClient.json, the one place the main
window's key geometry is typed (tests/main/expected_main_keys.h keeps an independent copy as the
check); every tile is put exactly under its key, mapped from panel units into the picture's own
pixels.
"""
import json
import math
import os
import sys

from artjson import ROOT, Art, r4, rounded, union
M = json.load(open(sys.argv[1] if len(sys.argv) > 1 else '/tmp/art_metrics.json'))

BLACK = '#000000'
RED = '#d01818'
TEAL = '#007d80'
GREEN = '#16961e'

# Code points
ISON, OLIGON, PETASTI = '1D046', '1D047', '1D049'
KENTIMATA, KENTIMA, YPSILI = '1D04E', '1D04F', '1D050'
APOSTROFOS, SYNDESMOS, YPORROI, ELAFRON, CHAMILI = '1D051', '1D052', '1D053', '1D055', '1D056'
APLI, DIPLI, TRIPLI, KLASMA, KORONIS, STAVROS = '1D085', '1D086', '1D087', '1D07F', '1D089', '1D07E'
GORGON, DIGORGON, TRIGORGON = '1D08F', '1D092', '1D096'
VAREIA, PSIFISTON, OMALON, ANTIKENOMA, ETERON, ENDOFONON = '1D058', '1D05A', '1D05B', '1D05C', '1D060', '1D07B'
YFEN_ANO, YFEN_KATO = '1D07D', '1D07C'

NAMES = {
    '1D046': 'ISON NEO', '1D047': 'OLIGON NEO', '1D049': 'PETASTI', '1D04E': 'KENTIMATA NEO ANO',
    '1D04F': 'KENTIMA NEO ANO', '1D050': 'YPSILI', '1D051': 'APOSTROFOS NEO', '1D052': 'APOSTROFOI SYNDESMOS NEO',
    '1D053': 'YPORROI', '1D055': 'ELAFRON', '1D056': 'CHAMILI', '1D085': 'APLI', '1D086': 'DIPLI',
    '1D087': 'TRIPLI', '1D07F': 'KLASMA ANO', '1D089': 'KORONIS', '1D07E': 'STAVROS',
    '1D08A': 'LEIMMA ENOS CHRONOU', '1D08B': 'LEIMMA DYO CHRONON', '1D08C': 'LEIMMA TRION CHRONON',
    '1D08D': 'LEIMMA TESSARON CHRONON', '1D08E': 'LEIMMA IMISEOS CHRONOU',
    '1D08F': 'GORGON NEO ANO', '1D0F5': 'GORGON NEO KATO', '1D090': 'GORGON PARESTIGMENON ARISTERA',
    '1D091': 'GORGON PARESTIGMENON DEXIA', '1D092': 'DIGORGON', '1D093': 'DIGORGON PARESTIGMENON ARISTERA KATO',
    '1D094': 'DIGORGON PARESTIGMENON ARISTERA ANO', '1D095': 'DIGORGON PARESTIGMENON DEXIA', '1D096': 'TRIGORGON',
    '1D097': 'ARGON', '1D098': 'IMIDIARGON', '1D099': 'DIARGON',
    '1D058': 'VAREIA NEO', '1D05A': 'PSIFISTON NEO', '1D05B': 'OMALON', '1D05C': 'ANTIKENOMA',
    '1D060': 'ETERON PARAKALESMA', '1D07B': 'ENDOFONON', '1D07D': 'YFEN ANO', '1D07C': 'YFEN KATO',
    '1D09A': 'AGOGI POLI ARGI', '1D09B': 'AGOGI ARGOTERI', '1D09C': 'AGOGI ARGI', '1D09D': 'AGOGI METRIA',
    '1D09F': 'AGOGI GORGI', '1D0A0': 'AGOGI GORGOTERI', '1D0A1': 'AGOGI POLI GORGI',
    '1D0C1': 'FTHORA DIATONIKI NI KATO', '1D0BA': 'FTHORA DIATONIKI PA', '1D0B6': 'ENARXIS KAI FTHORA VOU',
    '1D0BB': 'FTHORA DIATONIKI NANA', '1D0BD': 'FTHORA DIATONIKI DI', '1D0BE': 'FTHORA SKLIRON DIATONON DI',
    '1D0BF': 'FTHORA DIATONIKI KE', '1D0C0': 'FTHORA DIATONIKI ZO', '1D0C2': 'FTHORA DIATONIKI NI ANO',
    '1D0C3': 'FTHORA MALAKON CHROMA DIFONIAS', '1D0C4': 'FTHORA MALAKON CHROMA MONOFONIAS',
    '1D0C5': 'FHTORA SKLIRON CHROMA VASIS', '1D0C6': 'FTHORA SKLIRON CHROMA SYNAFI', '1D0C7': 'FTHORA NENANO',
    '1D0CB': 'FTHORA I YFESIS TETARTIMORION', '1D0CC': 'FTHORA ENARMONIOS ANTIFONIA',
    '1D0C8': 'CHROA ZYGOS', '1D0C9': 'CHROA KLITON', '1D0CA': 'CHROA SPATHI',
    '1D0D8': 'FTHORA GENIKI DIESIS', '1D0D9': 'FTHORA GENIKI YFESIS',
    '1D0D0': 'DIESIS APLI DYO DODEKATA', '1D0D1': 'DIESIS MONOGRAMMOS TESSERA DODEKATA',
    '1D0D2': 'DIESIS DIGRAMMOS EX DODEKATA', '1D0D4': 'YFESIS APLI DYO DODEKATA',
    '1D0D5': 'YFESIS MONOGRAMMOS TESSERA DODEKATA', '1D0D6': 'YFESIS DIGRAMMOS EX DODEKATA',
    '1D0EF': 'ARKTIKO NI', '1D0E9': 'ARKTIKO PA', '1D0EA': 'ARKTIKO VOU', '1D0EB': 'ARKTIKO GA',
    '1D0EC': 'ARKTIKO DI', '1D0ED': 'ARKTIKO KE', '1D0EE': 'ARKTIKO ZO',
    '1D0A8': 'MARTYRIA TETARTOS ICHOS', '1D0A3': 'MARTYRIA ALLI PROTOS ICHOS', '1D0A9': 'MARTYRIA TETARTOS LEGETOS ICHOS',
    '1D0A7': 'MARTYRIA TRIFONIAS', '1D0B1': 'MARTYRIA VARYS ICHOS', '1D0A5': 'MARTYRIA ALLI DEYTEROS ICHOS',
    '1D0DB': 'DIASTOLI APLI MEGALI', '1D0DC': 'DIASTOLI DIPLI',
}
SHORT = {ISON: 'ison', OLIGON: 'oligon', PETASTI: 'petasti', KENTIMATA: 'kentimata', KENTIMA: 'kentima',
         YPSILI: 'ypsili', APOSTROFOS: 'apostrofos', YPORROI: 'yporroi', ELAFRON: 'elafron', CHAMILI: 'chamili'}


class Comp:
    """A sign built of glyphs at explicit offsets; boxes in font units, y down."""

    def __init__(self):
        self.glyphs = []

    def box_of(self, g):
        if g['font'] == 'path':
            return g['box']
        b = M[g['font']][g['key']]
        s = g['scale']
        return (b[0] * s + g['x'], b[1] * s + g['y'], b[2] * s + g['x'], b[3] * s + g['y'])

    def add(self, cp, x=0.0, y=0.0, scale=1.0, color=BLACK, font='music'):
        g = {'font': font, 'key': cp, 'x': x, 'y': y, 'scale': scale, 'color': color}
        self.glyphs.append(g)
        return self.box_of(g)

    def add_path(self, points, box_offset=(0, 0), color=BLACK):
        # points in font units relative to the origin
        pts = [(p[0] + box_offset[0], p[1] + box_offset[1]) for p in points]
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        g = {'font': 'path', 'points': pts, 'box': (min(xs), min(ys), max(xs), max(ys)), 'color': color,
             'x': 0, 'y': 0, 'scale': 1}
        self.glyphs.append(g)
        return g['box']

    def place(self, cp, ref, where, align='center', gap=40, scale=1.0, color=BLACK, font='music', nudge=0):
        """Puts cp above/below/left/right of the box ref."""
        b = M[font][cp]
        w = (b[2] - b[0]) * scale
        h = (b[3] - b[1]) * scale
        if where in ('above', 'below'):
            if align == 'center':
                left = (ref[0] + ref[2]) / 2 - w / 2
            elif align == 'right':
                left = ref[2] - w
            elif align == 'left':
                left = ref[0]
            else:  # a share of the width: 0 = left edge, 1 = right edge
                left = ref[0] + (ref[2] - ref[0] - w) * align
            left += nudge
            top = ref[1] - gap - h if where == 'above' else ref[3] + gap
        else:
            top = (ref[1] + ref[3]) / 2 - h / 2 if align == 'center' else (ref[3] - h if align == 'bottom' else ref[1])
            top += nudge
            left = ref[0] - gap - w if where == 'left' else ref[2] + gap
        return self.add(cp, left - b[0] * scale, top - b[1] * scale, scale, color, font)

    def to_json(self):
        out = []
        for g in self.glyphs:
            o = {'font': g['font']}
            if g['font'] == 'music':
                o['cp'] = g['key']
            elif g['font'] == 'path':
                pts = g['points']
                o['text'] = 'M ' + ' L '.join('%g %g' % (r4(p[0] / 1000), r4(p[1] / 1000)) for p in pts) + ' Z'
            else:
                o['text'] = g['key']
            if g['font'] != 'path':
                if abs(g['x']) > 1e-6:
                    o['x'] = r4(g['x'] / 1000)
                if abs(g['y']) > 1e-6:
                    o['y'] = r4(g['y'] / 1000)
                if g['scale'] != 1:
                    o['scale'] = r4(g['scale'])
            if g['color'] != BLACK:
                o['color'] = g['color']
            out.append(o)
        return out


# ---------------------------------------------------------------- sign recipes

def single(cp, color=BLACK):
    c = Comp()
    c.add(cp, color=color)
    return c


def desc_shape(c, what, ref=None, where='above', align='center', gap=40, scale=1.0, color=BLACK):
    """Draws a descending figure (list of parts) over ref (or alone when ref is None); returns its box."""
    # Build it alone first at the origin, then move it into place.
    d = Comp()
    if what == [APOSTROFOS] or what == [YPORROI] or what == [ELAFRON] or what == [CHAMILI] or what == [SYNDESMOS]:
        d.add(what[0], color=color)
    elif what == ['running']:
        e = d.add(ELAFRON, color=color)
        d.place(APOSTROFOS, e, 'left', gap=-10, color=color)
    elif what == [ELAFRON, APOSTROFOS]:
        # tucked under the elafron's left half, low enough not to be taken for the running form
        e = d.add(ELAFRON, color=color)
        d.place(APOSTROFOS, e, 'below', align=0.1, gap=10, color=color)
    elif what == [CHAMILI, APOSTROFOS]:
        ch = d.add(CHAMILI, color=color)
        d.place(APOSTROFOS, ch, 'below', align=0.15, gap=20, color=color)
    elif what == [CHAMILI, ELAFRON]:
        e = d.add(ELAFRON, color=color)
        d.place(CHAMILI, e, 'above', gap=30, color=color)
    elif what == [CHAMILI, ELAFRON, APOSTROFOS]:
        e = d.add(ELAFRON, color=color)
        d.place(APOSTROFOS, e, 'below', align=0.1, gap=-25, color=color)
        d.place(CHAMILI, e, 'above', gap=30, color=color)
    elif what == [CHAMILI, CHAMILI]:
        ch = d.add(CHAMILI, color=color)
        d.place(CHAMILI, ch, 'above', gap=30, color=color)
    elif what == [CHAMILI, CHAMILI, APOSTROFOS]:
        ch = d.add(CHAMILI, color=color)
        d.place(APOSTROFOS, ch, 'below', align=0.15, gap=20, color=color)
        d.place(CHAMILI, ch, 'above', gap=30, color=color)
    else:
        raise ValueError(what)
    box = union(*[d.box_of(g) for g in d.glyphs])
    w, h = (box[2] - box[0]) * scale, (box[3] - box[1]) * scale
    if ref is None:
        dx, dy = 0, 0
    else:
        if align == 'center':
            left = (ref[0] + ref[2]) / 2 - w / 2
        elif align == 'left':
            left = ref[0]
        else:
            left = ref[2] - w
        top = ref[1] - gap - h if where == 'above' else ref[3] + gap
        dx, dy = left - box[0] * scale, top - box[1] * scale
    for g in d.glyphs:
        g['x'] = g['x'] * scale + dx
        g['y'] = g['y'] * scale + dy
        g['scale'] *= scale
        c.glyphs.append(g)
    return (box[0] * scale + dx, box[1] * scale + dy, box[2] * scale + dx, box[3] * scale + dy)


DESC_NAMES = {
    (APOSTROFOS,): 'apostrofos', (YPORROI,): 'yporroi', (ELAFRON,): 'elafron', (CHAMILI,): 'chamili',
    ('running',): 'running elafron', (ELAFRON, APOSTROFOS): 'elafron + apostrofos',
    (CHAMILI, APOSTROFOS): 'chamili + apostrofos', (CHAMILI, ELAFRON): 'chamili + elafron',
    (CHAMILI, ELAFRON, APOSTROFOS): 'chamili + elafron + apostrofos', (CHAMILI, CHAMILI): 'double chamili',
    (CHAMILI, CHAMILI, APOSTROFOS): 'double chamili + apostrofos',
}


def descending(what):
    c = Comp()
    desc_shape(c, what)
    return c


def carried(carrier, what):
    c = Comp()
    base = c.add(carrier)
    desc_shape(c, what, base, 'above', 'center', gap=45)
    return c


def oligon_kentimata_desc(what):
    c = Comp()
    base = c.add(OLIGON)
    wide = what not in ([APOSTROFOS], [YPORROI])
    d = desc_shape(c, what, base, 'above', 'left', gap=45, scale=0.7 if wide else 1.0)
    k = c.place(KENTIMATA, base, 'above', 'right', gap=45)
    if k[0] < d[2] + 30:  # keep the two marks apart
        shift = d[2] + 30 - k[0]
        c.glyphs[-1]['x'] += shift
    return c


def asc(carrier, recipe):
    """Ascending combinations on an oligon or petasti carrier."""
    c = Comp()
    base = c.add(carrier)
    if recipe == 'kentima_below':
        c.place(KENTIMA, base, 'below', 0.8, gap=40)
    elif recipe == 'kentima_above':
        c.place(KENTIMA, base, 'above', 'right', gap=40)
    elif recipe == 'ypsili_right':
        c.place(YPSILI, base, 'above', 'right', gap=25)
    elif recipe == 'ypsili_left':
        # Smaller and over the left part: at full size an ypsili is nearly as wide as the oligon,
        # and left and right would look alike.
        c.place(YPSILI, base, 'above', 'left', gap=25, scale=0.66)
    elif recipe == 'kentima_ypsili':
        # The kentima stands clear above the carrier, left of the ypsili's foot; touching the
        # carrier it would read as a curl of the stroke.
        y = c.place(YPSILI, base, 'above', 'right', gap=25)
        c.place(KENTIMA, (y[0], base[1] - 60 - 119, y[0], base[1] - 60), 'left', gap=40, align='bottom', nudge=0)
    elif recipe == 'kentima_under_ypsili':
        k = c.place(KENTIMA, base, 'above', 0.85, gap=35)
        c.place(YPSILI, (base[0], k[1], base[2], k[3]), 'above', 'right', gap=30)
    elif recipe == 'kentimata_above':
        c.place(KENTIMATA, base, 'above', 'right', gap=40)
    elif recipe == 'kentimata_below':
        c.place(KENTIMATA, base, 'below', 'center', gap=40)
    elif recipe == 'ypsili_right_kentimata':
        # Mirror images of each other, so that the two read apart at a glance: here the ypsili
        # stands on the right end and the kentimata sit left of its foot ...
        y = c.place(YPSILI, base, 'above', 'right', gap=25, scale=0.85)
        c.place(KENTIMATA, (y[0], base[1] - 40 - 119, y[0], base[1] - 40), 'left', gap=30, align='bottom', scale=0.85)
    elif recipe == 'ypsili_left_kentimata':
        # ... and here the ypsili leans over the left part with the kentimata on the right end.
        y = c.place(YPSILI, base, 'above', 'left', gap=25, scale=0.7)
        k = c.place(KENTIMATA, base, 'above', 'right', gap=40, scale=0.85)
        if k[0] < y[2] + 25:
            c.glyphs[-1]['x'] += y[2] + 25 - k[0]
    elif recipe in ('kentima_kentimata', 'ison_kentimata'):
        c.place(KENTIMATA, base, 'above', 'right', gap=40)
        if recipe == 'kentima_kentimata':
            c.place(KENTIMA, base, 'above', 0.25, gap=40)
        else:
            c.place(ISON, base, 'above', 'left', gap=40, scale=0.6)
    elif recipe == 'oligon':
        c.place(OLIGON, base, 'above', 'center', gap=40, scale=0.8)
    elif recipe == 'ison':
        c.place(ISON, base, 'above', 'center', gap=40, scale=0.85)
    elif recipe.startswith('ypsili_x'):
        # ypsili_x2, ypsili_x2_kentimata, ypsili_x2_kentima_under, ypsili_x2_kentima_left, ...
        n = int(recipe[8])
        s = 0.62 if n == 2 else 0.48
        yb = M['music'][YPSILI]
        yw = (yb[2] - yb[0]) * s
        step = yw + 25
        extra = recipe[10:]
        right = base[2]
        lift = 0
        if extra == 'kentima_under':
            k = c.place(KENTIMA, base, 'above', 0.7, gap=35)
            lift = k[3] - k[1] + 30
        for i in range(n):
            ref = (right - yw - i * step, base[1] - lift, right - i * step, base[3])
            c.place(YPSILI, ref, 'above', 'right', gap=25, scale=s)
        left_edge = right - yw - (n - 1) * step
        if extra == 'kentimata':
            c.place(KENTIMATA, (left_edge, base[1] - 60 - 119, left_edge, base[1] - 25), 'left', gap=30,
                    align='bottom', scale=0.85)
        elif extra == 'kentima_left':
            c.place(KENTIMA, (left_edge, base[1] - 60 - 119, left_edge, base[1] - 25), 'left', gap=30, align='bottom')
    else:
        raise ValueError(recipe)
    return c


ASC_NAMES = {
    'kentima_below': 'kentima below', 'kentima_above': 'kentima above', 'ypsili_right': 'ypsili right',
    'ypsili_left': 'ypsili left', 'kentima_ypsili': 'kentima + ypsili', 'kentima_under_ypsili': 'kentima under ypsili',
    'kentimata_above': 'kentimata', 'kentimata_below': 'kentimata below', 'kentima_kentimata': 'kentima + kentimata',
    'ypsili_right_kentimata': 'ypsili right + kentimata', 'ypsili_left_kentimata': 'ypsili left + kentimata',
    'ison_kentimata': 'ison + kentimata', 'oligon': 'oligon', 'ison': 'ison',
    'ypsili_x2': 'double ypsili', 'ypsili_x2_kentimata': 'kentimata + double ypsili',
    'ypsili_x2_kentima_under': 'kentima under double ypsili', 'ypsili_x2_kentima_left': 'kentima + double ypsili left',
    'ypsili_x3': 'triple ypsili', 'ypsili_x3_kentimata': 'kentimata + triple ypsili',
    'ypsili_x3_kentima_under': 'kentima under triple ypsili', 'ypsili_x3_kentima_left': 'kentima + triple ypsili left',
}


def gorgon_form(base, dot=None, below=False):
    """A red gorgon-family sign with black dots, over a small black note (below=True: under it)."""
    c = Comp()
    if below:
        note = c.add(OLIGON, scale=0.6)
        g = c.place(base, note, 'below', 0.8, gap=100, color=RED)
    else:
        g = c.add(base, color=RED)
        c.place(OLIGON, g, 'below', 0.2, gap=100, scale=0.6)
    if dot == 'left':
        c.place(APLI, g, 'left', gap=25, align='bottom', scale=1.0)
    elif dot == 'left_high':
        # clearly higher than the low dot, whose bottom is on the sign's
        c.place(APLI, g, 'left', gap=25, align='top', nudge=-120)
    elif dot == 'right':
        c.place(APLI, g, 'right', gap=25, align='bottom')
    elif dot == 'middle':
        c.place(APLI, g, 'below', 'center', gap=30)
    return c


def cross(c, cx, top, height=300, color=BLACK):
    """A small Latin cross: Noto Music draws the stavros as a bar with a blob, which does not read as a cross."""
    t, arm = height * 0.18, height * 0.75
    y = top + height * 0.3  # the crossbar's upper edge
    pts = [(cx - t / 2, top), (cx + t / 2, top), (cx + t / 2, y), (cx + arm / 2, y), (cx + arm / 2, y + t),
           (cx + t / 2, y + t), (cx + t / 2, top + height), (cx - t / 2, top + height), (cx - t / 2, y + t),
           (cx - arm / 2, y + t), (cx - arm / 2, y), (cx - t / 2, y)]
    return c.add_path(pts, color=color)


def stavros():
    c = Comp()
    cross(c, 230, -640)
    return c


def gorgon_with(mark, where='above'):
    c = Comp()
    g = c.add(GORGON, color=RED)
    if mark == STAVROS:
        cross(c, (g[0] + g[2]) / 2, g[1] - 50 - 190, height=190)
    else:
        c.place(mark, g, where, 'center', gap=50)
    return c


def quality(carrier, mark, color=RED, carrier_color=BLACK):
    c = Comp()
    if carrier == 'oligon_kentimata':
        base = c.add(OLIGON, color=carrier_color)
        c.place(KENTIMATA, base, 'above', 'right', gap=40, color=carrier_color)
    elif carrier == 'ison_ison':
        b1 = c.add(ISON, color=carrier_color)
        b2 = c.place(ISON, b1, 'right', gap=90, color=carrier_color)
        base = union(b1, b2)
    else:
        base = c.add(carrier, color=carrier_color)
    if mark == VAREIA:
        c.place(VAREIA, base, 'left', gap=50, align='bottom', color=color)
    else:
        mb = M['music'][mark]
        scale = 1.0
        if carrier == 'ison_ison':
            scale = (base[2] - base[0]) / (mb[2] - mb[0])
        c.place(mark, base, 'below', 'center', gap=45, scale=scale, color=color)
    return c


def red_with(mark_cp, extra, where='below', extra_scale=1.0, long=False):
    """A red qualitative sign with a small black mark (page 2 of the quality signs)."""
    c = Comp()
    if long:
        b1 = c.add(ISON, scale=0.6)
        b2 = c.place(ISON, b1, 'right', gap=120, scale=0.6)
        base = union(b1, b2)
        mb = M['music'][mark_cp]
        c.place(mark_cp, base, 'below', 'center', gap=45, scale=(base[2] - base[0]) / (mb[2] - mb[0]), color=RED)
        return c
    m = c.add(mark_cp, color=RED)
    if extra:
        c.place(extra, m, where, 'center', gap=40, scale=extra_scale)
    return c


def arrow_path(x, base, up, height=560, color=GREEN):
    # A filled arrow standing on the baseline (y = base), apex up or down; font units.
    w, shaft, head = 300, 70, 200
    cx = x + w / 2
    top, bot = base - height, base
    if up:
        pts = [(cx, top), (x + w, top + head), (cx + shaft / 2, top + head), (cx + shaft / 2, bot),
               (cx - shaft / 2, bot), (cx - shaft / 2, top + head), (x, top + head)]
    else:
        pts = [(cx, bot), (x + w, bot - head), (cx + shaft / 2, bot - head), (cx + shaft / 2, top),
               (cx - shaft / 2, top), (cx - shaft / 2, bot - head), (x, bot - head)]
    return pts, x + w


def ison_arrow(letter, up):
    c = Comp()
    x = 0
    for ch in '(' + letter:
        c.add(ch, x=x, font='bold', color=GREEN)
        x += M['bold'][ch][4]
    pts, x2 = arrow_path(x + 20, -20, up)
    c.add_path(pts, color=GREEN)
    c.add(')', x=x2 + 40, font='bold', color=GREEN)
    return c


def text_sign(text, font='text', color=BLACK):
    c = Comp()
    x = 0
    for ch in text:
        c.add(ch, x=x, font=font, color=color)
        x += M[font][ch][4]
    return c


def path_sign(polys, color):
    c = Comp()
    for p in polys:
        c.add_path(p, color=color)
    return c


def rect_poly(x, y, w, h):
    return [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]


# Tool-grid icons as filled polygons (font units, y down, baseline 0).
ICONS = {
    # a space-bar bracket
    'space': [[(0, -300), (80, -300), (80, -80), (620, -80), (620, -300), (700, -300), (700, 0), (0, 0)]],
    # an arrow pointing left into a stack of lines
    'newline': [[(0, -300), (220, -480), (220, -360), (460, -360), (460, -240), (220, -240), (220, -120)]]
               + [rect_poly(520, -560 + i * 140, 300, 70) for i in range(4)],
    # a key-shaped outline with a cross (backspace)
    'backspace': [[(0, -300), (220, -560), (820, -560), (820, -40), (220, -40), (0, -300), (60, -300),
                   (250, -100), (760, -100), (760, -500), (250, -500), (60, -300)],
                  [(380, -430), (430, -480), (720, -190), (670, -140)],
                  [(670, -480), (720, -430), (430, -140), (380, -190)]],
    'lines': [rect_poly(0, -620 + i * 170, 800, 70) for i in range(4)],
    'left': [[(0, -300), (480, -580), (480, -20)]],
    'right': [[(480, -300), (0, -580), (0, -20)]],
}


# ---------------------------------------------------------------- the sign table of the main window

SIGNS = []  # (word, name, comp, codepoints or None)


def S(word, name, comp, cps=None):
    SIGNS.append((word, name, comp, cps))


def desc_name(what):
    return DESC_NAMES[tuple(what)]


# PanelKatavasi1, row by row
kat1 = [
    ('c4', [APOSTROFOS]), ('c3', [SYNDESMOS]), ('c2', [YPORROI]), ('c1', [ELAFRON]),
    ('c12', ['running']), ('c11', [ELAFRON, APOSTROFOS]), ('c10', [CHAMILI]), ('c9', [CHAMILI, APOSTROFOS]),
    ('c8', [CHAMILI, ELAFRON]), ('c7', [CHAMILI, ELAFRON, APOSTROFOS]), ('c6', [CHAMILI, CHAMILI]),
    ('c5', ('oligon', [APOSTROFOS])),
    ('f2', ('oligon', [YPORROI])), ('c17', ('oligon', [ELAFRON])), ('c14', ('oligon', [ELAFRON, APOSTROFOS])),
    ('c13', ('oligon', [CHAMILI])),
]
for word, what in kat1:
    if isinstance(what, tuple):
        S(word, 'oligon + ' + desc_name(what[1]), carried(OLIGON, what[1]))
    elif len(what) == 1 and what[0] in NAMES:
        S(word, NAMES[what[0]], single(what[0]))
    else:
        S(word, desc_name(what), descending(what))

kat2 = [
    ('e12', ('p', [APOSTROFOS])), ('e13', ('p', [YPORROI])), ('e11', ('p', [ELAFRON])), ('e9', ('p', [CHAMILI])),
    ('d6', ('p', ['running'])), ('d5', ('p', [ELAFRON, APOSTROFOS])), ('d4', ('p', [CHAMILI, APOSTROFOS])),
    ('d3', ('p', [CHAMILI, ELAFRON])),
    ('d9', ('p', [CHAMILI, ELAFRON, APOSTROFOS])), ('d7', ('p', [CHAMILI, CHAMILI])),
    ('d8', ('k', [APOSTROFOS])), ('d2', ('k', [YPORROI])),
    ('d11', ('k', [ELAFRON])), ('d10', ('k', ['running'])), ('d1', ('k', [ELAFRON, APOSTROFOS])),
    ('d12', ('k', [CHAMILI])),
]
for word, (kind, what) in kat2:
    if kind == 'p':
        S(word, 'petasti + ' + desc_name(what), carried(PETASTI, what))
    else:
        S(word, 'oligon + ' + desc_name(what) + ' + kentimata', oligon_kentimata_desc(what))

# PanelLoipa
S('e1', 'ISON NEO', single(ISON))
S('e2', 'oligon + ison', asc(OLIGON, 'ison'))
S('e5', 'STAVROS', stavros(), [STAVROS])
S('e10', 'petasti + ison', asc(PETASTI, 'ison'))
S('e4', 'KORONIS', single(KORONIS))
S('e7', 'KLASMA ANO', single(KLASMA))
c = Comp(); b = c.add(ISON); desc_shape(c, [APOSTROFOS], b, 'below', 'right', gap=30)
S('f1', 'ison + apostrofos', c)
S('e3', 'LEIMMA ENOS CHRONOU', single('1D08A'))
S('e6', 'LEIMMA DYO CHRONON', single('1D08B'))
# The apli is a duration sign of its own, not a companion of the klasma: a red dot in its place
# under a small grey note.
c = Comp(); n = c.add(ISON, scale=0.6, color='#7a7a7a'); c.place(APLI, n, 'below', 'center', gap=50, scale=1.4, color=RED)
S('f5', 'APLI', c, [APLI])
S('f4', 'LEIMMA IMISEOS CHRONOU', single('1D08E'))
S('e8', 'YFEN ANO', single(YFEN_ANO))

# Panelanavasi1: oligon family on the left, petasti family on the right
an1 = [
    ('a1', None), ('a6', 'kentima_below'), ('a7', 'kentima_above'), ('a15', 'ypsili_right'),
    ('a8', 'ypsili_left'), ('a9', 'kentima_ypsili'), ('a3', 'kentima_under_ypsili'), ('a4', 'kentimata_alone'),
    ('a2', 'kentimata_above'), ('a5', 'kentimata_below'), ('a16', 'kentima_kentimata'),
    ('a12', 'ypsili_right_kentimata'), ('a13', 'ypsili_left_kentimata'), ('a14', 'ison_kentimata'),
]
for word, r in an1:
    if r is None:
        S(word, 'OLIGON NEO', single(OLIGON))
    elif r == 'kentimata_alone':
        S(word, 'KENTIMATA NEO ANO', single(KENTIMATA))
    else:
        S(word, 'oligon + ' + ASC_NAMES[r], asc(OLIGON, r))
pet1 = [('a19', None), ('a17', 'oligon'), ('a20', 'kentima_above'), ('a18', 'ypsili_right'),
        ('b1', 'ypsili_left'), ('b5', 'kentima_ypsili'), ('b3', 'kentima_under_ypsili'),
        ('b2', 'kentimata_above'), ('b6', 'ypsili_right_kentimata'), ('b4', 'ypsili_left_kentimata')]
for word, r in pet1:
    if r is None:
        S(word, 'PETASTI', single(PETASTI))
    else:
        S(word, 'petasti + ' + ASC_NAMES[r], asc(PETASTI, r))

# Panelanavasi2: several ypsilis side by side
an2 = [('b7', OLIGON, 'ypsili_x2'), ('b12', OLIGON, 'ypsili_x2_kentimata'), ('b14', OLIGON, 'ypsili_x2_kentima_under'),
       ('b9', OLIGON, 'ypsili_x2_kentima_left'), ('b8', OLIGON, 'ypsili_x3'), ('b15', OLIGON, 'ypsili_x3_kentimata'),
       ('b13', OLIGON, 'ypsili_x3_kentima_under'), ('b10', OLIGON, 'ypsili_x3_kentima_left'),
       ('b16', PETASTI, 'ypsili_x2'), ('b20', PETASTI, 'ypsili_x2_kentimata'), ('b17', PETASTI, 'ypsili_x2_kentima_under'),
       ('b11', PETASTI, 'ypsili_x2_kentima_left'), ('b19', PETASTI, 'ypsili_x3'), ('b18', PETASTI, 'ypsili_x3_kentima_left')]
for word, carrier, r in an2:
    S(word, SHORT[carrier] + ' + ' + ASC_NAMES[r], asc(carrier, r))

# Panelgorgo: top row over the note, bottom row under it
S('kar6', 'gorgon + stavros', gorgon_with(STAVROS, 'above'), [GORGON, STAVROS])
S('kar5', 'gorgon + yfen ano', gorgon_with(YFEN_ANO, 'above'))
S('kar7', 'gorgon + klasma', gorgon_with(KLASMA, 'above'))
GF = [(GORGON, None, '1D08F'), (GORGON, 'left', '1D090'), (GORGON, 'right', '1D091'), (DIGORGON, None, '1D092'),
      (DIGORGON, 'left', '1D093'), (DIGORGON, 'left_high', '1D094'), (DIGORGON, 'right', '1D095'),
      (TRIGORGON, None, '1D096'), (TRIGORGON, 'left', None), (TRIGORGON, 'right', None), (TRIGORGON, 'middle', None)]
DOTNAME = {'left': 'dot left', 'left_high': 'dot high left', 'right': 'dot right', 'middle': 'dot in the middle'}


def gf_name(base, dot, cp):
    if cp:
        return NAMES[cp]
    return 'trigorgon + ' + DOTNAME[dot]


# The top row starts one column later than the bottom row's gorgon forms would let it, so that
# every form over the note stands straight above the same form under the note (the bottom row
# begins with kar5 and kar7); the argon takes the free column beside the gorgon with a cross.
S('xr24', 'ARGON', gorgon_form('1D097'), ['1D097'])
top = ['xr22', 'xr20', 'xr18', 'xr19', 'xr16', 'xr4', 'xr3', 'xr10', 'xr6']
for word, (base, dot, cp) in zip(top, GF[:9]):
    S(word, gf_name(base, dot, cp), gorgon_form(base, dot), [cp] if cp else [base, APLI])
S('xr7', 'IMIDIARGON', gorgon_form('1D098'), ['1D098'])
S('xr8', 'DIARGON', gorgon_form('1D099'), ['1D099'])
bottom = ['xr21', 'xr17', 'xr15', 'xr13', 'xr5', 'xr1', 'xr2', 'xr9', 'xr11', 'xr12', 'xr14']
for word, (base, dot, cp) in zip(bottom, GF):
    name = gf_name(base, dot, cp)
    if cp == GORGON:
        name, cp = 'GORGON NEO KATO', '1D0F5'
    S(word, name + ' (below)', gorgon_form(base, dot, below=True), [cp] if cp else [base, APLI])

# Panelfthores
FT = [('ft1', '1D0C1'), ('ft2', '1D0BA'), ('ft3', '1D0B6'), ('ft4', '1D0BB'), ('ft5', '1D0BD'), ('ft6', '1D0BF'),
      ('ft7', '1D0C0'), ('ft8', '1D0C2'), ('ft9', '1D0BE'), ('ft10', '1D0C3'), ('ft11', '1D0C4'), ('ft12', '1D0C5'),
      ('ft13', '1D0C6'), ('ft14', '1D0C7'), ('ft15', '1D0CB'), ('ft16', '1D0CC'), ('ft17', '1D0C8'), ('ft18', '1D0C9'),
      ('ft19', '1D0CA'), ('ft20', '1D0D8'), ('ft21', '1D0D9')]
for word, cp in FT:
    S(word, NAMES[cp], single(cp, RED))

# PanelMartyries1 and 2
for word, cp in zip(['m1', 'm2', 'm3', 'm4', 'm5', 'm6', 'm7'], ['1D0EF', '1D0E9', '1D0EA', '1D0EB', '1D0EC', '1D0ED', '1D0EE']):
    if word == 'm4':
        # Γ with a dot: the font's Γ has none, so a dot stands beside its foot.
        c = Comp(); g = c.add(cp, color=TEAL)
        c.place(APLI, g, 'right', align='bottom', gap=40, scale=0.9, color=TEAL)
        S(word, NAMES[cp] + ' + dot', c, [cp])
    else:
        S(word, NAMES[cp], single(cp, TEAL))
S('m8', 'prime (upper octave)', text_sign('ʹ', 'bold', TEAL))
for word, cp in zip(['o1', 'o2', 'o3', 'o4', 'o6', 'o7', 'o8', 'o9'],
                    ['1D0A8', '1D0A3', '1D0A9', '1D0A7', '1D0B1', '1D0A5', '1D0C7', '1D0C4']):
    S(word, NAMES[cp], single(cp, TEAL))
c = Comp(); d1 = c.add(APLI, color=TEAL); c.place(APLI, d1, 'above', 'center', gap=90, color=TEAL)
S('o5', 'two dots (martyria of Di and Ke)', c)

# Paneldiastoles
S('di4', 'DIASTOLI APLI MEGALI', single('1D0DB', RED))
c = Comp(); b = c.add('1D0DC', color=RED); c.place(YFEN_ANO, b, 'above', 'center', gap=40, scale=0.55, color=RED)
S('di3', 'DIASTOLI DIPLI + arch', c)
for word, digit in [('di2', '2'), ('di1', '3'), ('di5', '4')]:
    S(word, 'measure of %s beats' % digit, text_sign(digit, 'bold', RED))

# PanelIson1 (text keys) and PanelIson2
for i, letter in enumerate('ΝΠΒΓΔΚΖΜ'):
    S('k%d' % (i + 1), 'ison (%s)' % letter, text_sign('(' + letter + ')', 'bold', BLACK))
S('l1', 'ison (Ζ) upper', ison_arrow('Ζ', True))
S('l2', 'ison (Δ) lower', ison_arrow('Δ', False))
S('l3', 'ison (Κ) lower', ison_arrow('Κ', False))

# Panelyfesi
for word, cp in zip(['sa1', 'sa2', 'sa3', 'sa4', 'sa5', 'sa6'], ['1D0D0', '1D0D1', '1D0D2', '1D0D4', '1D0D5', '1D0D6']):
    S(word, NAMES[cp], single(cp, RED))

# PanelxronikiAgogi1 and 2
AG = ['1D09A', '1D09B', '1D09C', '1D09D', '1D09F', '1D0A0', '1D0A1']
for i, cp in enumerate(AG):
    S('x%d' % (8 + i), NAMES[cp], single(cp))
for i, cp in enumerate(AG):
    c = Comp()
    a = c.add(cp)
    m = c.place('1D0A8', a, 'below', 'center', gap=40, scale=0.7, color=RED)
    c.place(APLI, m, 'left', gap=40, align='center', color=RED)
    S('x%d' % (1 + i), NAMES[cp] + ' + martyria', c, [cp, '1D0A8'])

# PanelPoiotitas1: black sign, red mark
PQ1 = [('g4', OLIGON, PSIFISTON), ('g5', PETASTI, PSIFISTON), ('g6', ISON, OMALON),
       ('g15', OLIGON, OMALON), ('g16', OLIGON, ANTIKENOMA), ('g17', ISON, ENDOFONON),
       ('g1', 'oligon_kentimata', PSIFISTON), ('g2', 'oligon_kentimata', ANTIKENOMA),
       ('g7', 'ison_ison', ETERON), ('g8', OLIGON, ETERON), ('g9', ISON, VAREIA), ('g11', APOSTROFOS, VAREIA)]
CARRIER_NAME = {OLIGON: 'oligon', PETASTI: 'petasti', ISON: 'ison', APOSTROFOS: 'apostrofos',
                'oligon_kentimata': 'oligon + kentimata', 'ison_ison': 'two isons'}
QNAME = {PSIFISTON: 'psifiston', OMALON: 'omalon', ANTIKENOMA: 'antikenoma', ETERON: 'eteron',
         ENDOFONON: 'endofonon', VAREIA: 'vareia'}
for word, carrier, mark in PQ1:
    name = ('vareia + ' + CARRIER_NAME[carrier]) if mark == VAREIA else (CARRIER_NAME[carrier] + ' + ' + QNAME[mark])
    S(word, name, quality(carrier, mark))

# PanelPoiotitas2: red sign, small black marks
S('g13', 'VAREIA NEO', single(VAREIA, RED))
S('g19', 'PSIFISTON NEO', single(PSIFISTON, RED))
S('g14', 'OMALON', single(OMALON, RED))
S('g20', 'ANTIKENOMA', single(ANTIKENOMA, RED))
S('g21', 'ETERON PARAKALESMA', single(ETERON, RED))
S('g24', 'ENDOFONON', single(ENDOFONON, RED))
S('g22', 'antikenoma + apli', red_with(ANTIKENOMA, APLI, 'below'))
S('g23', 'omalon + klasma', red_with(OMALON, KLASMA, 'above'))
S('g3', 'psifiston + gorgon', red_with(PSIFISTON, GORGON, 'above'))
S('g18', 'eteron + dipli', red_with(ETERON, DIPLI, 'below'))
S('g25', 'eteron + tripli', red_with(ETERON, TRIPLI, 'below'))
S('g10', 'long omalon', red_with(OMALON, None, long=True))
S('g12', 'long eteron', red_with(ETERON, None, long=True))

# The tool grid's palette keys and the check box
S('SpeedButton15', 'space', path_sign(ICONS['space'], GREEN))
S('SpeedButton14', 'new line', path_sign(ICONS['newline'], GREEN))
S('SpeedButton35', 'backspace', path_sign(ICONS['backspace'], '#303030'))
S('n5', 'lines', path_sign(ICONS['lines'], BLACK))
S('SpeedButton25', 'move left', path_sign(ICONS['left'], '#303030'))
S('SpeedButton31', 'move right', path_sign(ICONS['right'], '#303030'))
S('CheckBox1', 'below (Κάτω)', text_sign('Κάτω', 'text', BLACK))

SIGN_BY_WORD = {w: (n, c, cps) for w, n, c, cps in SIGNS}
assert len(SIGN_BY_WORD) == len(SIGNS) == 214, (len(SIGN_BY_WORD), len(SIGNS))


def write_signs():
    path = os.path.join(ROOT, 'resources', 'signs.json')
    # Keep the other windows' groups that may already be in the file.
    groups = []
    if os.path.exists(path):
        try:
            groups = [g for g in json.load(open(path)).get('windows', []) if g.get('window') != 'MainClient']
        except ValueError:
            groups = []
    main = []
    for word, name, comp, cps in SIGNS:
        e = {'word': word, 'name': name}
        if cps:
            e['cp'] = ' '.join(cps)
        e['glyphs'] = comp.to_json()
        main.append(e)
    groups.insert(0, {'window': 'MainClient', 'signs': main})
    with open(path, 'w', encoding='utf-8') as f:
        f.write('{\n  "windows": [\n')
        for gi, g in enumerate(groups):
            f.write('    {\n      "window": %s,\n      "signs": [\n' % json.dumps(g['window']))
            for si, s in enumerate(g['signs']):
                f.write('        ' + json.dumps(s, ensure_ascii=False) + (',\n' if si + 1 < len(g['signs']) else '\n'))
            f.write('      ]\n    }' + (',\n' if gi + 1 < len(groups) else '\n'))
        f.write('  ]\n}\n')


# ---------------------------------------------------------------- pictures

OUTLINE = '#8c8c8c'


def tiles_for(keys, pic, W, H, gap=2.0):
    """Maps key rectangles (panel units) into picture pixels and trims overlaps between neighbours."""
    px, py, pw, ph = pic
    sx, sy = W / pw, H / ph
    rects = {}
    for name, x, y, w, h in keys:
        rects[name] = [(x - px) * sx, (y - py) * sy, (x - px + w) * sx, (y - py + h) * sy]
    names = list(rects)
    for i, a in enumerate(names):
        for b in names[i + 1:]:
            ra, rb = rects[a], rects[b]
            ox = min(ra[2], rb[2]) - max(ra[0], rb[0])
            oy = min(ra[3], rb[3]) - max(ra[1], rb[1])
            if ox <= -gap or oy <= -gap:
                continue
            if ox < oy:  # side by side: share the overlap in x
                first, second = (ra, rb) if ra[0] < rb[0] else (rb, ra)
                mid = (first[2] + second[0]) / 2
                first[2] = min(first[2], mid - gap / 2)
                second[0] = max(second[0], mid + gap / 2)
            else:
                first, second = (ra, rb) if ra[1] < rb[1] else (rb, ra)
                mid = (first[3] + second[1]) / 2
                first[3] = min(first[3], mid - gap / 2)
                second[1] = max(second[1], mid + gap / 2)
    out = {}
    for name, r in rects.items():
        x0, y0 = max(r[0], 0.5), max(r[1], 0.5)
        x1, y1 = min(r[2], W - 0.5), min(r[3], H - 0.5)
        out[name] = [x0, y0, x1 - x0, y1 - y0]
    return out


def main_window_keys():
    """Every key of the main window as its description lays it out: name -> (x, y, w, h) in the
    units of its panel. The description is the one place the key geometry is typed."""
    d = json.load(open(os.path.join(ROOT, 'resources', 'windows', 'MainClient.json'), encoding='utf-8'))
    keys = {}
    for c in d['controls']:
        if c['kind'] == 'keys':
            w, h = c['size']
            for k in c['keys']:
                keys[k[0]] = tuple(k[1:5]) if len(k) == 5 else (k[1], k[2], w, h)
        elif c['kind'] in ('key', 'button', 'checkbox') and 'rect' in c:
            keys[c['name']] = tuple(c['rect'])
    return keys


LAYOUT = main_window_keys()


def laid_out(names):
    """The keys of `names` (rows of names are flattened, None skipped) with their laid-out rectangles."""
    flat = []
    for n in names:
        flat.extend(n if isinstance(n, list) else [n])
    return [(n,) + LAYOUT[n] for n in flat if n]


def panel(ident, W, H, pic, keys, fill_of, em, radius=4, margin=0.1, outline=OUTLINE, ems=None):
    art = Art(ident, W, H)
    tiles = tiles_for(keys, pic, W, H)
    for name, *_ in keys:
        art.add(type='tile', rect=tiles[name], radius=radius, fill=fill_of(name), outline=outline, width=1)
    for name, *_ in keys:
        e = (ems or {}).get(name, em)
        art.add(type='sign', word=name, rect=tiles[name], em=e, margin=margin)
    return art


def row_colour(rows, colours):
    table = {}
    for row, col in zip(rows, colours):
        for n in row:
            if n:
                table[n] = col
    return lambda n: table[n]


ARTS = []

# Descending, first page
rows = [['c4', 'c3', 'c2', 'c1'], ['c12', 'c11', 'c10', 'c9'], ['c8', 'c7', 'c6', 'c5'], ['f2', 'c17', 'c14', 'c13']]
ARTS.append(panel('katavasi1', 180, 160, (8, 24, 180, 160),
                  laid_out(rows),
                  row_colour(rows, ['#fff4b0', '#d9ec8c', '#dcbc4e', '#ffc98e']), em=62))
rows = [['e12', 'e13', 'e11', 'e9'], ['d6', 'd5', 'd4', 'd3'], ['d9', 'd7', 'd8', 'd2'], ['d11', 'd10', 'd1', 'd12']]
ARTS.append(panel('katavasi2', 180, 160, (8, 24, 180, 160),
                  laid_out(rows),
                  row_colour(rows, ['#dcbc4e', '#cdf070', '#b4c06a', '#d9b9b9']), em=62))
rows = [['e1', 'e2', 'e5'], ['e10', 'e4', 'e7'], ['f1', 'e3', 'e6'], ['f5', 'f4', 'e8']]
pale = {'e1', 'e10', 'f1', 'e2'}
ARTS.append(panel('loipa', 136, 160, (8, 24, 136, 160), laid_out(rows),
                  lambda n: '#efefef' if n in pale else '#bdbdbd', em=62))
rows = [['a1', 'a6', 'a7', 'a15', 'a19', 'a17'], ['a8', 'a9', 'a3', 'a4', 'a20', 'a18'],
        ['a2', 'a5', 'a16', 'b1', 'b5', 'b3'], ['a12', 'a13', 'a14', 'b2', 'b6', 'b4']]
teal = {'a19', 'a17', 'a20', 'a18', 'b1', 'b5', 'b3', 'b2', 'b6', 'b4'}
rc = row_colour(rows, ['#bfe2ff', '#dccbf2', '#f8c8dc', '#cdaee6'])
ARTS.append(panel('anavasi1', 264, 160, (8, 24, 264, 160),
                  laid_out(rows),
                  lambda n: '#9fc6c2' if n in teal else ('#bfe2ff' if n == 'a4' else rc(n)), em=62))
rows = [['b7', 'b12', 'b14', 'b9', 'b16', 'b20'], ['b8', 'b15', 'b13', 'b10', 'b17', 'b11'],
        [None, None, None, None, 'b19', 'b18']]
teal2 = {'b16', 'b20', 'b17', 'b11', 'b19', 'b18'}
rc2 = row_colour(rows, ['#bfe2ff', '#94c2f2', '#ffffff'])
ARTS.append(panel('anavasi2', 264, 160, (8, 24, 264, 160),
                  laid_out(rows),
                  lambda n: '#9fc6c2' if n in teal2 else rc2(n), em=62))

# Gorgo time signs
rows = [['kar6', 'xr24', 'xr22', 'xr20', 'xr18', 'xr19', 'xr16', 'xr4', 'xr3', 'xr10', 'xr6', 'xr7', 'xr8'],
        ['kar5', 'kar7', 'xr21', 'xr17', 'xr15', 'xr13', 'xr5', 'xr1', 'xr2', 'xr9', 'xr11', 'xr12', 'xr14']]
# Colour bands follow the families as far as bands of one to three columns allow: the gorgon with
# a mark of its own and the argon; the three gorgons; the four digorgons in two pairs; the plain
# and left-dotted trigorgon; then the two last columns.
gcol = ['#cfa57c', '#cfa57c', '#f7c9d9', '#f7c9d9', '#f7c9d9', '#cdeec6', '#cdeec6', '#e9c85e', '#e9c85e',
        '#fff6bc', '#fff6bc', '#d2d2d2', None]


def gorgo_fill(n):
    for ri, row in enumerate(rows):
        if n in row:
            ci = row.index(n)
            if ci == 12:
                return '#bfe2ff' if ri == 0 else '#ffffff'
            return gcol[ci]


ARTS.append(panel('gorgo', 592, 70, (8, 18, 592, 70),
                  laid_out(rows),
                  gorgo_fill, em=110, margin=0.08))

# Modulation signs (fthores)
frows = [['ft8', 'ft7', 'ft6', 'ft5', 'ft13', 'ft14', 'ft15', 'ft16', 'ft19', 'ft20', None],
         ['ft1', 'ft2', 'ft3', 'ft4', 'ft9', 'ft10', 'ft11', 'ft12', 'ft17', 'ft18', 'ft21']]
fcol = {'ft8': '#bfe2ff', 'ft7': '#bfe2ff', 'ft6': '#bfe2ff', 'ft5': '#bfe2ff', 'ft13': '#ffc27e', 'ft14': '#ffc27e',
        'ft15': '#c9cc86', 'ft16': '#c9cc86', 'ft19': '#dcbdf2', 'ft20': '#dcbdf2',
        'ft1': '#bfe2ff', 'ft2': '#bfe2ff', 'ft3': '#bfe2ff', 'ft4': '#bfe2ff', 'ft9': '#fff3d4', 'ft10': '#fff3d4',
        'ft11': '#ffd5a6', 'ft12': '#ffd5a6', 'ft17': '#e6d6f6', 'ft18': '#e6d6f6', 'ft21': '#d6f27c'}
ARTS.append(panel('fthores', 449, 70, (8, 18, 592, 70),
                  laid_out(frows),
                  lambda n: fcol[n], em=85, margin=0.08))

# Modal signatures
mk = laid_out(['m1', 'm2', 'm3', 'm4', 'm5', 'm6', 'm7', 'm8'])
ARTS.append(panel('martyries1', 373, 51, (4, 14, 281, 45), mk, lambda n: '#e4e4e4', em=190, margin=0.14,
                  ems={'m8': 70}))
ok = laid_out(['o1', 'o2', 'o3', 'o4', 'o5', 'o6', 'o7', 'o8', 'o9'])
ARTS.append(panel('martyries2', 282, 43, (2, 14, 282, 43), ok, lambda n: '#ffffff', em=95, margin=0.08,
                  ems={'o5': 60}))

# Bar lines
dk = laid_out(['di4', 'di3', 'di2', 'di1', 'di5'])
a = panel('diastoles', 146, 35, (2, 18, 161, 41), dk, lambda n: '#fff07c' if n in ('di4', 'di3') else '#c9f07a',
          em=44, margin=0.12, ems={'di4': 110, 'di3': 110})
t = tiles_for(dk, (2, 18, 161, 41), 146, 35)['di3']
a.items.append({'type': 'line', 'points': [[t[0] + 4, t[1] + t[3] - 4], [t[0] + t[2] - 4, t[1] + t[3] - 4]],
                'color': '#8c8c8c', 'width': 1.5})
ARTS.append(a)

# Ison letters, second page
ARTS.append(panel('ison2', 143, 28, (8, 16, 143, 45), laid_out(['l1', 'l2', 'l3']),
                  lambda n: '#ffffff', em=24, margin=0.1))

# Yfesi
ARTS.append(panel('yfesi', 255, 36, (4, 16, 265, 41),
                  laid_out(['sa1', 'sa2', 'sa3', 'sa4', 'sa5', 'sa6']),
                  lambda n: '#ffffff', em=110, margin=0.1))

# Tempo
ARTS.append(panel('xronikiagogi1', 261, 39, (6, 18, 261, 47),
                  laid_out(['x8', 'x9', 'x10', 'x11', 'x12', 'x13', 'x14']),
                  lambda n: '#ffffff', em=70, margin=0.1))
ARTS.append(panel('xronikiagogi2', 252, 53, (6, 14, 261, 47),
                  laid_out(['x1', 'x2', 'x3', 'x4', 'x5', 'x6', 'x7']),
                  lambda n: '#ffffff', em=70, margin=0.06))

# Quality signs
q1 = laid_out(['g4', 'g5', 'g6', 'g15', 'g16', 'g17', 'g1', 'g2', 'g7', 'g8', 'g9', 'g11'])
q1c = {'g4': '#d4d4d4', 'g5': '#d4d4d4', 'g6': '#d4d4d4', 'g15': '#bfe2ff', 'g16': '#bfe2ff', 'g17': '#bfe2ff',
       'g1': '#fff4b0', 'g2': '#fff4b0', 'g7': '#d6f2cc', 'g8': '#d6f2cc', 'g9': '#d8b48c', 'g11': '#d8b48c'}
ARTS.append(panel('poiotitas1', 141, 191, (8, 24, 141, 191), q1, lambda n: q1c[n], em=60, margin=0.1))
q2 = laid_out(['g13', 'g19', 'g14', 'g20', 'g21', 'g24', 'g22', 'g23', 'g3', 'g18', 'g25', 'g10', 'g12'])
q2c = {'g13': '#d4d4d4', 'g19': '#d4d4d4', 'g14': '#d4d4d4', 'g20': '#bfe2ff', 'g21': '#bfe2ff', 'g24': '#fff3d4',
       'g22': '#fff4b0', 'g23': '#fff4b0', 'g3': '#fff3d4', 'g18': '#d6f2cc', 'g25': '#d6f2cc',
       'g10': '#d8b48c', 'g12': '#d8b48c'}
ARTS.append(panel('poiotitas2', 141, 191, (8, 24, 141, 191), q2, lambda n: q2c[n], em=60, margin=0.1))


# Tool grid: Image17, 243 x 157 pixels shown in 269 x 153 units.
def toolgrid():
    W, H = 243, 157
    buttons = laid_out(['rythmiseisshow', 'SpeedButton15', 'con_SpeedButton', 'off', 'martyriesshow', 'SpeedButton14',
                        'SpeedButton35', 'SpeedButton2', 'diaforashow', 'n5', 'SpeedButton25', 'SpeedButton31'])
    t = tiles_for(buttons, (0, 0, 269, 153), W, H, gap=3)
    art = Art('toolgrid', W, H)
    for name, *_ in buttons:
        if name in ('SpeedButton25', 'SpeedButton31'):
            continue
        fill = '#d83a30' if name == 'off' else '#f6f6f4'
        art.add(type='tile', rect=t[name], radius=5, fill=fill, outline='#9a9a9a', width=1)

    def inner(name, m):
        x, y, w, h = t[name]
        return x + m, y + m, w - 2 * m, h - 2 * m

    # settings: a wrench and a hammer crossed
    x, y, w, h = inner('rythmiseisshow', 8)
    cx, cy = x + w / 2, y + h / 2
    art.add(type='line', points=[[cx - 12, cy + 14], [cx + 10, cy - 10]], color='#707880', width=5)
    art.add(type='ellipse', rect=[cx + 5, cy - 17, 12, 12], fill='#707880')
    art.add(type='ellipse', rect=[cx + 10, cy - 18, 6, 6], fill='#f6f6f4')
    art.add(type='line', points=[[cx + 12, cy + 14], [cx - 8, cy - 8]], color='#9a6a3a', width=4)
    art.add(type='polygon', points=[[cx - 17, cy - 6], [cx - 6, cy - 17], [cx + 0, cy - 11], [cx - 11, cy + 0]],
            fill='#505860')
    # palette keys drawn from the sign table
    for name, m in [('SpeedButton15', 9), ('SpeedButton14', 8), ('SpeedButton35', 8), ('n5', 9)]:
        art.add(type='sign', word=name, rect=list(inner(name, m)), margin=0.05)
    # connection: a capital C (covered by the indicator)
    art.add(type='text', text='C', bold=True, color='#000000', rect=list(inner('con_SpeedButton', 8)), margin=0.05)
    # power: a green power symbol on the red tile
    x, y, w, h = inner('off', 9)
    s = min(w, h)
    box = [x + (w - s) / 2, y + (h - s) / 2, s, s]
    art.add(type='arc', rect=box, start=120, span=300, color='#2ee04a', width=4)
    art.add(type='line', points=[[box[0] + s / 2, box[1] - 2], [box[0] + s / 2, box[1] + s / 2]], color='#2ee04a', width=4)
    # modal signatures: a red cursive sign
    art.add(type='text', font='music', text='\U0001D0B3', color='#c81818', rect=list(inner('martyriesshow', 6)), margin=0.05)
    # arrange: a cross of four arrows
    x, y, w, h = inner('SpeedButton2', 8)
    cx, cy, r = x + w / 2, y + h / 2, min(w, h) / 2
    art.add(type='line', points=[[cx - r + 4, cy], [cx + r - 4, cy]], color='#404040', width=3)
    art.add(type='line', points=[[cx, cy - r + 4], [cx, cy + r - 4]], color='#404040', width=3)
    for dx, dy in [(1, 0), (-1, 0), (0, 1), (0, -1)]:
        tip = [cx + dx * r, cy + dy * r]
        back = [cx + dx * (r - 8), cy + dy * (r - 8)]
        side = [dy * 6, dx * 6]
        art.add(type='polygon', points=[tip, [back[0] + side[0], back[1] + side[1]], [back[0] - side[0], back[1] - side[1]]],
                fill='#404040')
    # miscellaneous signs: three blue dots
    x, y, w, h = inner('diaforashow', 8)
    for i in range(3):
        art.add(type='ellipse', rect=[x + w / 2 - 17 + i * 13, y + h / 2 - 4.5, 9, 9], fill='#2a6adf')
    # arrows: grey discs with the triangles of the sign table
    for name in ('SpeedButton25', 'SpeedButton31'):
        x, y, w, h = t[name]
        s = min(w, h) - 2
        disc = [x + (w - s) / 2, y + (h - s) / 2, s, s]
        art.add(type='ellipse', rect=disc, fill='#a8a8a8', outline='#8a8a8a', width=1)
        art.add(type='sign', word=name, rect=[disc[0] + s * 0.3, disc[1] + s * 0.27, s * 0.42, s * 0.46], margin=0)
    return art


ARTS.append(toolgrid())


def monitor(art, x, y, s):
    """A grey computer monitor with its top-left corner at (x, y); s = its width."""
    h = s * 0.7
    art.add(type='polygon', points=[[x + s * 0.42, y + h], [x + s * 0.58, y + h], [x + s * 0.64, y + h + s * 0.16],
                                    [x + s * 0.36, y + h + s * 0.16]], fill='#8a8a8a', outline='#5c5c5c', width=s / 60)
    art.add(type='tile', rect=[x + s * 0.26, y + h + s * 0.15, s * 0.48, s * 0.07], radius=s * 0.02,
            fill='#9a9a9a', outline='#5c5c5c', width=s / 60)
    art.add(type='tile', rect=[x, y, s, h], radius=s * 0.05, fill='#9c9c9c', outline='#4e4e4e', width=s / 40)
    art.add(type='tile', rect=[x + s * 0.08, y + s * 0.08, s * 0.84, h - s * 0.16], radius=s * 0.02,
            fill='#d8e2ea', outline='#6a6a6a', width=s / 80)


def indicators():
    a = Art('indicator_searching', 128, 128)
    monitor(a, 6, 8, 68)
    monitor(a, 44, 40, 72)
    cx, cy, r = 92, 94, 28
    pts = [[cx + r * math.cos(math.radians(22.5 + 45 * i)), cy + r * math.sin(math.radians(22.5 + 45 * i))] for i in range(8)]
    a.add(type='polygon', points=pts, fill='#d42020', outline='#ffffff', width=3)
    a.add(type='line', points=[[cx - 11, cy - 11], [cx + 11, cy + 11]], color='#ffffff', width=6)
    a.add(type='line', points=[[cx + 11, cy - 11], [cx - 11, cy + 11]], color='#ffffff', width=6)
    b = Art('indicator_connected', 64, 64)
    b.add(type='polyline', points=[[19, 36], [19, 48], [34, 48], [34, 54], [40, 54]], color='#000000', width=2.5)
    monitor(b, 3, 4, 32)
    monitor(b, 25, 22, 36)
    return [a, b]


ARTS.extend(indicators())

if __name__ == '__main__':
    os.makedirs(os.path.join(ROOT, 'resources', 'art'), exist_ok=True)
    write_signs()
    for art in ARTS:
        art.write()
    print('wrote %d signs and %d pictures' % (len(SIGNS), len(ARTS)))
