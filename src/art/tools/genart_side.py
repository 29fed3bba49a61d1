#!/usr/bin/env python3
"""Writes the side windows' sign table, pictures and key layout.

Outputs, all from the numbers in this file:
    resources/signs-side.json                 the 116 command words of the two side palettes
    resources/art/martyries_upper.json        982 x 181, the 48 modal signatures
    resources/art/martyries_lower.json        545 x 91, the word cells and the single martyria signs
    resources/art/diafora.json                1223 x 168, note indications, bar lines, reference marks
    resources/art/greenarrow_left.json        72 x 72, the arrange window's green arrows
    resources/art/greenarrow_right.json
    resources/windows/FormMartyries.json      controls with every key rectangle
    resources/windows/FormDiafora.json

Every tile is the key rectangle above it mapped into the picture's pixels, so keys and tiles cannot
drift apart. Glyph ink boxes come from
    QT_QPA_PLATFORM=offscreen artpreview --metrics /tmp/art_metrics.json
    python3 src/art/tools/genart_side.py /tmp/art_metrics.json
Offsets in the sign table are in em units (1000 font units), y downwards.
"""
import json
import math
import os
import sys

from artjson import ROOT, Art, r4, rounded, union
M = json.load(open(sys.argv[1] if len(sys.argv) > 1 else '/tmp/art_metrics.json'))

BLACK = '#000000'
RED = '#d01818'
GREY = '#6e6e6e'
BLUE = '#1d4fc4'

LETTER = {'Νη': '1D0EF', 'Πα': '1D0E9', 'Βου': '1D0EA', 'Γα': '1D0EB', 'Δι': '1D0EC', 'Κε': '1D0ED', 'Ζω': '1D0EE'}
DIATONIC_SIGN = {'Νη': '1D0A8', 'Πα': '1D0A3', 'Βου': '1D0A9', 'Γα': '1D0A7', 'Δι': '1D0A8', 'Κε': '1D0A3', 'Ζω': '1D0B1'}
DOTTED = {'Δι', 'Κε'}  # the upper tetrachord repeats the lower sign with two dots
CHROMATIC_SIGN = {
    ('hc', 'Πα'): '1D0C5', ('hc', 'Δι'): '1D0C7', ('hc', 'Νη'): '1D0C6', ('hc', 'Κε'): '1D0C6',
    # Soft chromatic signs alternate from note to note: Νη, Βου and Δι share one, Πα, Γα, Κε the other.
    ('sc', 'Δι'): '1D0C3', ('sc', 'Κε'): '1D0C4', ('sc', 'Βου'): '1D0C3', ('sc', 'Νη'): '1D0C3',
    ('en', 'Γα'): '1D0CB', ('en', 'Ζω'): '1D0CC', ('en', 'Βου'): '1D0CB',
}
NAMES = {
    '1D0A2': 'MARTYRIA PROTOS ICHOS', '1D0A3': 'MARTYRIA ALLI PROTOS ICHOS', '1D0A4': 'MARTYRIA DEYTEROS ICHOS',
    '1D0A5': 'MARTYRIA ALLI DEYTEROS ICHOS', '1D0A6': 'MARTYRIA TRITOS ICHOS', '1D0A7': 'MARTYRIA TRIFONIAS',
    '1D0A8': 'MARTYRIA TETARTOS ICHOS', '1D0A9': 'MARTYRIA TETARTOS LEGETOS ICHOS', '1D0AA': 'MARTYRIA LEGETOS ICHOS',
    '1D0AB': 'MARTYRIA PLAGIOS ICHOS', '1D0AC': 'ISAKIA TELOUS ICHIMATOS', '1D0AD': 'APOSTROFOI TELOUS ICHIMATOS',
    '1D0AE': 'FANEROSIS TETRAFONIAS', '1D0AF': 'FANEROSIS MONOFONIAS', '1D0B0': 'FANEROSIS DIFONIAS',
    '1D0B1': 'MARTYRIA VARYS ICHOS', '1D0B2': 'MARTYRIA PROTOVARYS ICHOS', '1D0B3': 'MARTYRIA PLAGIOS TETARTOS ICHOS',
}


def text_box(s, font='text'):
    """Ink box and advance of a string set without kerning, as the sign library sets it."""
    x, box = 0.0, None
    for ch in s:
        b = M[font].get(ch) or M[font][FALLBACK.get(ch, 'ο')]
        cb = (b[0] + x, b[1], b[2] + x, b[3])
        box = cb if box is None else union(box, cb)
        x += b[4]
    return box, x


# Accented letters are missing from the metrics dump; their plain forms have nearly the same ink.
FALLBACK = {'Ή': 'Η', 'ύ': 'υ', 'ά': 'α', 'έ': 'ε', 'ί': 'ι', 'ό': 'ο', 'ώ': 'ω', '*': '+'}


class Comp:
    """A sign made of glyphs at explicit offsets; boxes in font units, y down."""

    def __init__(self):
        self.glyphs = []
        self.boxes = []

    def raw_box(self, font, key):
        if font == 'music':
            return M['music'][key][:4]
        return text_box(key, font)[0]

    def add(self, key, x=0.0, y=0.0, scale=1.0, color=BLACK, font='music'):
        b = self.raw_box(font, key)
        box = (b[0] * scale + x, b[1] * scale + y, b[2] * scale + x, b[3] * scale + y)
        self.glyphs.append({'font': font, 'key': key, 'x': x, 'y': y, 'scale': scale, 'color': color})
        self.boxes.append(box)
        return box

    def place(self, key, ref, where, align=0.5, gap=50, scale=1.0, color=BLACK, font='music'):
        """Puts a glyph above, below, left or right of box ref; align is a share of the free room."""
        b = self.raw_box(font, key)
        w, h = (b[2] - b[0]) * scale, (b[3] - b[1]) * scale
        if where in ('above', 'below'):
            left = ref[0] + (ref[2] - ref[0] - w) * align
            top = ref[1] - gap - h if where == 'above' else ref[3] + gap
        else:
            top = ref[1] + (ref[3] - ref[1] - h) * align
            left = ref[0] - gap - w if where == 'left' else ref[2] + gap
        return self.add(key, left - b[0] * scale, top - b[1] * scale, scale, color, font)

    def add_path(self, polys, color=BLACK):
        """Filled polygons in font units; several polygons in one path cut holes where they overlap."""
        pts = [p for poly in polys for p in poly]
        box = (min(p[0] for p in pts), min(p[1] for p in pts), max(p[0] for p in pts), max(p[1] for p in pts))
        self.glyphs.append({'font': 'path', 'polys': polys, 'color': color})
        self.boxes.append(box)
        return box

    def box(self):
        return union(*self.boxes)

    def to_json(self):
        out = []
        for g in self.glyphs:
            o = {'font': g['font']}
            if g['font'] == 'path':
                o['text'] = ' '.join('M ' + ' L '.join('%g %g' % (r4(x / 1000), r4(y / 1000)) for x, y in poly) + ' Z'
                                     for poly in g['polys'])
            else:
                if g['font'] == 'music':
                    o['cp'] = g['key']
                else:
                    o['text'] = g['key']
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


# ---------------------------------------------------------------- the modal signatures

def martyria(c, note, variant, left=0.0, sign=None):
    """A note letter over its martyria sign, its left edge at x = left; returns the boxes of both."""
    if sign is None:
        sign = DIATONIC_SIGN[note] if variant == 'd' else CHROMATIC_SIGN[(variant, note)]
    sb = M['music'][sign]
    sign_box = c.add(sign, x=left - sb[0], y=-sb[1] - 300)  # sign's top at -300
    if variant == 'd' and note in DOTTED:
        sign_box = union(sign_box, c.place('1D086', sign_box, 'right', align=0.15, gap=20, scale=0.8))
    letter_box = c.place(LETTER[note], sign_box, 'above', gap=60)
    return sign_box, letter_box


MODE_INK = '#23438c'


CAPTION_SCALE = (0.17, 0.23)  # the smallest and the largest size of the mode caption, in em


def caption_room(syllable, variant='d', sign=None):
    """How wide a caption over the syllable may be before it meets the note letter."""
    tb, _ = text_box(syllable)
    _, letter = martyria(Comp(), syllable, variant, (tb[2] - tb[0]) * 0.34 + 70, sign)
    return letter[0] - 50


def signature(mode, syllable, variant='d', fthora=None, mode_sign=None, sign=None, caption=0.23):
    """One opening signature: the mode's caption small at the top left, then the syllable, the
    note letter over its martyria sign and, if any, a red fthora beside the letter."""
    c = Comp()
    if syllable:
        tb, _ = text_box(syllable)
        s = 0.34
        # the syllable's x-height band lines up with the middle of the martyria
        syl = c.add(syllable, x=-tb[0] * s, y=-60, scale=s, font='text')
        left = (tb[2] - tb[0]) * s + 70
        # Over the syllable and clear of the letter: where the caption is wider than the room
        # there, the letter and its sign move right.
        raw = text_box(mode)[0]
        left += max(0.0, (raw[2] - raw[0]) * caption - caption_room(syllable, variant, sign))
        _, letter = martyria(c, syllable, variant, left, sign)
        if fthora:
            # Beside the letter, above the sign: the tile keeps the width it has without one, so
            # its syllable is drawn as large as its neighbours'.
            c.place(fthora, letter, 'right', align=0.0, gap=30, color=RED, scale=0.62)
        c.place(mode, syl, 'above', align=0.0, gap=35, scale=caption, font='text', color=MODE_INK)
    else:
        sb = M['music'][mode_sign]
        box = c.add(mode_sign, x=-sb[0], y=-sb[1] - 300)
        c.place(mode, box, 'left', align=0.0, gap=70, scale=caption, font='text', color=MODE_INK)
    return c


# Eight groups, one per mode; within a group the base notes and genera of that mode's openings.
# (colour, mode caption, words, tiles); a tile is (syllable, genus[, fthora[, mode sign[, martyria sign]]]).
GROUPS = [
    ('#f8d29c', 'α′', ['ark%d' % i for i in range(1, 7)],
     [('Πα', 'd'), ('Κε', 'd'), ('Πα', 'd', '1D0BA'), ('Κε', 'd', '1D0BF'), ('Δι', 'd'), (None, None, None, '1D0A2')]),
    ('#f6c1da', 'β′', ['ark%d' % i for i in range(7, 12)],
     [('Δι', 'sc'), ('Βου', 'sc'), ('Πα', 'hc'), ('Δι', 'hc'), ('Κε', 'sc')]),
    # Ζω of the third mode is the upper Ζω, whose diatonic sign is the λ form; the varys sign is for
    # the low Ζω of the grave mode.
    ('#4dbf84', 'γ′', ['ark%d' % i for i in range(12, 16)],
     [('Γα', 'd'), ('Γα', 'en'), ('Ζω', 'd', None, None, '1D0A9'), (None, None, None, '1D0A6')]),
    ('#c0c0c0', 'δ′', ['ark%d' % i for i in range(16, 24)],
     [('Δι', 'd'), ('Πα', 'd'), ('Βου', 'd'), ('Νη', 'd'), ('Δι', 'd', '1D0BD'), ('Πα', 'd', '1D0BA'),
      ('Βου', 'd', '1D0B6'), (None, None, None, '1D0AA')]),
    ('#c2e0fc', 'πλ α′', ['ark%d' % i for i in range(24, 28)],
     [('Πα', 'd'), ('Κε', 'd'), ('Δι', 'd'), (None, None, None, '1D0AB')]),
    ('#fdf010', 'πλ β′', ['ark%d' % i for i in range(28, 36)],
     [('Πα', 'hc'), ('Δι', 'hc'), ('Βου', 'sc'), ('Κε', 'sc'), ('Πα', 'hc', '1D0C6'), ('Δι', 'sc'), ('Νη', 'hc'),
      (None, None, None, '1D0A5')]),
    ('#d6acfe', 'βαρύς', ['ark%d' % i for i in range(36, 44)],
     [('Γα', 'd'), ('Ζω', 'd'), ('Γα', 'en'), ('Ζω', 'en'), ('Βου', 'd'), ('Γα', 'd', '1D0BB'), ('Ζω', 'd', '1D0C0'),
      (None, None, None, '1D0B1')]),
    ('#cda778', 'πλ δ′', ['ark%d' % i for i in range(44, 49)],
     [('Νη', 'd'), ('Γα', 'd'), ('Βου', 'd'), ('Νη', 'd', '1D0C1'), (None, None, None, '1D0B3')]),
]
VARIANT_NAME = {'d': 'diatonic', 'hc': 'hard chromatic', 'sc': 'soft chromatic', 'en': 'enharmonic'}

SIGNS = {'FormMartyries': [], 'FormDiafora': []}
FILL = {}
SYLLABLE_TILES = set()
for colour, mode, words, tiles in GROUPS:
    assert len(words) == len(tiles)
    # One caption size for the whole group: as large as its narrowest room allows, within limits.
    rooms = [caption_room(t[0], t[1], (tuple(t) + (None,) * 5)[4]) for t in tiles if t[0]]
    raw = text_box(mode)[0]
    caption = max(CAPTION_SCALE[0], min([CAPTION_SCALE[1]] + [r / (raw[2] - raw[0]) for r in rooms]))
    for word, t in zip(words, tiles):
        syl, variant, ft, mode_sign, sign = (tuple(t) + (None,) * 5)[:5]
        if syl:
            SYLLABLE_TILES.add(word)
            name = 'martyria %s, %s' % (syl, VARIANT_NAME[variant]) + (' + fthora' if ft else '')
        else:
            name = NAMES[mode_sign]
        SIGNS['FormMartyries'].append((word, name + ', mode ' + mode,
                                       signature(mode, syl, variant, ft, mode_sign, sign, caption)))
        FILL[word] = colour


def text_sign(text, color=BLACK, font='text'):
    c = Comp()
    c.add(text, font=font, color=color)
    return c


def lambda_over_pi():
    c = Comp()
    pb = c.add('π', font='text')
    c.place('λ', pb, 'above', gap=20, scale=0.62, font='text', align=0.5)
    return c


def martyria_single(cp, index):
    c = Comp()
    box = c.add(cp)
    if index == 5:
        # the sixth sign, the double hook of Γα, is shown with a red dot beside it
        c.place('1D085', box, 'right', align=0.2, gap=30, color=RED)
    if index >= 14:
        c.place('1D0EC', box, 'below', gap=50, color=RED)
    return c


LOWER_ROW1 = [('mh1', 'Ήχος (word)', text_sign('Ήχος')), ('mh2', 'λ over π (plagal)', lambda_over_pi())]
for i, ordinal in enumerate('αβγδ'):
    LOWER_ROW1.append(('mh%d' % (3 + i), 'ordinal %sʹ.' % ordinal, text_sign(ordinal + 'ʹ.')))
LOWER_ROW1.append(('mh7', 'βαρύς (word)', text_sign('βαρύς')))
for i, syl in enumerate(['Νη', 'Πα', 'Βου', 'Γα', 'Δι', 'Κε', 'Ζω']):
    LOWER_ROW1.append(('mh%d' % (9 + i), 'syllable %s' % syl, text_sign(syl)))
LOWER_ROW2 = []
for i in range(18):
    cp = '1D0%X' % (0xA2 + i)
    name = NAMES[cp] + (' + red dot' if i == 5 else '') + (' + red Di' if i >= 14 else '')
    LOWER_ROW2.append(('mh%d' % (16 + i), name, martyria_single(cp, i)))
for w, n, c in LOWER_ROW1 + LOWER_ROW2:
    SIGNS['FormMartyries'].append((w, n, c))


# ---------------------------------------------------------------- miscellaneous signs

def hook_stroke(left, y, length, thick=44, hook=110, hook_at='right'):
    """A horizontal stroke with a short downward hook at one end (font units, y down)."""
    if hook_at == 'right':
        return [(left, y), (left + length, y), (left + length + 30, y + hook), (left + length - 14, y + hook),
                (left + length - 30, y + thick), (left, y + thick)]
    return [(left + length, y), (left, y), (left - 30, y + hook), (left + 14, y + hook), (left + 30, y + thick),
            (left + length, y + thick)]


def note_indication(letter, above_at, under=None):
    c = Comp()
    # The stroke is about twice as long as a letter is wide, so that a letter over its left end
    # and one over its right end stand clearly apart.
    stroke = c.add_path([hook_stroke(0, -300, 560, thick=40, hook=90)], color=RED)
    if letter:
        cp = LETTER[letter]
        align = 0.0 if above_at == 'left' else 1.0
        c.place(cp, stroke, 'above', align=align, gap=40, scale=1.15)
    if under:
        c.place(LETTER[under], stroke, 'below', gap=50, scale=1.3)
    return c


def bar_sign(cp, mark_at):
    c = Comp()
    stroke = c.add_path([[(0, -300), (460, -300), (460, -256), (0, -256)]], color=GREY)
    bar = c.place(cp, stroke, 'above', align=0.72, gap=-10, color=GREY, scale=1.5)
    if mark_at == 'left':
        # beside the stroke's left end, on its line
        c.place('1D085', stroke, 'left', align=0.5, gap=90, color=RED, scale=1.3)
    else:
        c.place('1D085', (stroke[0], stroke[1], bar[0] - 40, stroke[3]), 'above', align=0.5, gap=60, color=RED, scale=1.3)
    return c


def hooked_with_numeral(digit, at):
    c = Comp()
    stroke = c.add_path([hook_stroke(0, -300, 600, hook_at='left')], color=GREY)
    c.place(digit, stroke, 'above', align=0.0 if at == 'left' else 0.5, gap=40, scale=0.34, color=RED, font='text')
    return c


def small_double_bar(digit):
    c = Comp()
    bar = c.add('1D0DC', color=GREY, scale=1.6)
    c.place(digit, bar, 'above', gap=40, scale=0.26, color=RED, font='text')
    return c


def star(cx, cy, r, arms=6, width=46):
    polys = []
    for k in range(arms // 2):
        a = math.pi * k / (arms // 2) + math.pi / 2
        dx, dy = math.cos(a), math.sin(a)
        nx, ny = -dy * width / 2, dx * width / 2
        polys.append([(cx - dx * r + nx, cy - dy * r + ny), (cx + dx * r + nx, cy + dy * r + ny),
                      (cx + dx * r - nx, cy + dy * r - ny), (cx - dx * r - nx, cy - dy * r - ny)])
    return polys


def asterisk(index=None):
    c = Comp()
    # Each arm its own path, so the crossing stays filled instead of cutting a hole.
    for poly in star(0, -420, 200):
        c.add_path([poly], color=BLUE)
    if index:
        c.add(index, x=230, y=-180, scale=0.45, font='text', color=BLUE)
    return c


def ring(cx, cy, r_out, r_in, n=28):
    outer = [(cx + r_out * math.cos(2 * math.pi * k / n), cy + r_out * math.sin(2 * math.pi * k / n)) for k in range(n)]
    inner = [(cx + r_in * math.cos(2 * math.pi * k / n), cy + r_in * math.sin(2 * math.pi * k / n)) for k in range(n)]
    return [outer, inner[::-1]]


def scissors():
    c = Comp()
    c.add_path(ring(-150, -170, 120, 70), color=BLUE)
    c.add_path(ring(-150, -560, 120, 70), color=BLUE)
    # two blades crossing at the pivot, each from its ring to a point on the right
    c.add_path([[(-50, -240), (0, -285), (560, -500), (540, -520), (-20, -320)]], color=BLUE)
    c.add_path([[(-50, -490), (0, -445), (560, -230), (540, -210), (-20, -410)]], color=BLUE)
    return c


LETTERS7 = ['Νη', 'Πα', 'Βου', 'Γα', 'Δι', 'Κε', 'Ζω']
for i in range(8):
    letter = LETTERS7[i] if i < 7 else None
    SIGNS['FormDiafora'].append(('en%d' % (i + 1), 'note indication %s, letter left' % (letter or 'Δι under'),
                                 note_indication(letter, 'left', None if i < 7 else 'Δι')))
for i in range(8):
    letter = LETTERS7[i] if i < 7 else None
    SIGNS['FormDiafora'].append(('en%d' % (i + 9), 'note indication %s, letter right' % (letter or 'Πα under'),
                                 note_indication(letter, 'right', None if i < 7 else 'Πα')))
BARS = [('1D0DB', 'DIASTOLI APLI MEGALI'), ('1D0DC', 'DIASTOLI DIPLI'), ('1D0DD', 'DIASTOLI THESEOS')]
for row, at in ((0, 'left'), (1, 'above')):
    for i, (cp, nm) in enumerate(BARS):
        SIGNS['FormDiafora'].append(('dm%d' % (row * 6 + i + 1), '%s, mark %s' % (nm, at), bar_sign(cp, at)))
    for i, digit in enumerate('234'):
        SIGNS['FormDiafora'].append(('dm%d' % (row * 6 + i + 4), 'measure of %s, numeral %s' % (digit, at),
                                     hooked_with_numeral(digit, 'left' if row == 0 else 'middle')))
for i, digit in enumerate('5678'):
    SIGNS['FormDiafora'].append(('dm%d' % (13 + i), 'measure of %s, double bar' % digit, small_double_bar(digit)))
SIGNS['FormDiafora'] += [('par1', 'asterisk', asterisk()), ('par2', 'asterisk 1', asterisk('1')),
                         ('par3', 'asterisk 2', asterisk('2')), ('par4', 'scissors', scissors())]


def write_signs():
    path = os.path.join(ROOT, 'resources', 'signs-side.json')
    groups = [(w, SIGNS[w]) for w in ('FormMartyries', 'FormDiafora')]
    with open(path, 'w', encoding='utf-8') as f:
        f.write('{\n  "windows": [\n')
        for gi, (window, signs) in enumerate(groups):
            f.write('    {\n      "window": %s,\n      "signs": [\n' % json.dumps(window))
            for si, (word, name, comp) in enumerate(signs):
                e = {'word': word, 'name': name, 'glyphs': comp.to_json()}
                f.write('        ' + json.dumps(e, ensure_ascii=False) + (',\n' if si + 1 < len(signs) else '\n'))
            f.write('      ]\n    }' + (',\n' if gi + 1 < len(groups) else '\n'))
        f.write('  ]\n}\n')


# ---------------------------------------------------------------- pictures

def to_picture(rect, pic, W, H, inset=1.0):
    """A rectangle in panel units mapped into the picture's pixels, drawn a pixel inside the key."""
    px, py, pw, ph = pic
    sx, sy = W / pw, H / ph
    x, y, w, h = rect
    return [(x - px) * sx + inset, (y - py) * sy + inset, w * sx - 2 * inset, h * sy - 2 * inset]


def row(names, x0, y, widths, gap):
    keys, x = [], x0
    for n, w in zip(names, widths):
        keys.append([n, x, y, w, KEY_H[n]])
        x += w + gap
    return keys


# Modal-signature window: panel units of Panelmartyries.
UPPER = (8, 16, 773, 195)
LOWER = (9, 214, 773, 131)
UPPER_ROWS = [
    (['ark%d' % i for i in range(1, 12)] + ['ark44', 'ark45', 'ark46'], 10, 17, 54, 1),
    (['ark%d' % i for i in range(12, 24)] + ['ark47', 'ark48'], 10, 64, 54, 1),
    (['ark%d' % i for i in range(24, 28)] + ['ark%d' % i for i in range(36, 44)], 11, 112, 63, 1),
    (['ark%d' % i for i in range(28, 36)], 15, 163, 87, 9),
]
LOWER_ROW1_W = [72, 36, 44, 44, 44, 44, 80] + [48, 48, 56, 48, 48, 48, 48]
KEY_H = {}
for names, *_ in UPPER_ROWS:
    for n in names:
        KEY_H[n] = 47
for w, *_ in LOWER_ROW1 + LOWER_ROW2:
    KEY_H[w] = 47

mkeys = []
for names, x0, y, w, gap in UPPER_ROWS:
    mkeys.append(row(names, x0, y, [w] * len(names), gap))
lower1 = row([w for w, *_ in LOWER_ROW1], 15, 218, LOWER_ROW1_W, 4)
lower2 = row([w for w, *_ in LOWER_ROW2], 18, 274, [40] * 18, 2)

# Miscellaneous-signs window: panel units of Paneldiafora.
DIAF = (8, 16, 773, 141)
for i in range(1, 17):
    KEY_H['en%d' % i] = 50
    KEY_H['dm%d' % i] = 50
for i in range(1, 5):
    KEY_H['par%d' % i] = 42
BOXES = [('Ενδείξεις Φθόγγου', 10, 309), ('Διαστολές Μέτρα', 322, 305), ('Σημεία Παραπομπής', 630, 149)]
dkeys = [
    row(['en%d' % i for i in range(1, 9)], 13, 34, [37] * 8, 1),
    row(['en%d' % i for i in range(9, 17)], 13, 90, [37] * 8, 1),
    row(['dm%d' % i for i in range(1, 7)], 325, 34, [37] * 6, 1),
    row(['dm%d' % i for i in range(7, 17)], 325, 90, [37] * 6 + [17] * 4, 1),
    row(['par%d' % i for i in range(1, 5)], 633, 33, [35] * 4, 1),
]


def fitted_em(comp, rect, em, margin):
    """The size a sign is drawn at in rect: em, or smaller where its ink would not fit."""
    b = comp.box()
    m = margin * min(rect[2], rect[3])
    return min(em, (rect[2] - 2 * m) / (b[2] - b[0]) * 1000, (rect[3] - 2 * m) / (b[3] - b[1]) * 1000)


def upper_picture():
    W, H = 982, 181
    art = Art('martyries_upper', W, H)
    art.add(type='tile', rect=[0, 0, W, H], radius=0, fill='#d1ffd1')
    keys = [k for r in mkeys for k in r]
    comps = {w: c for w, _, c in SIGNS['FormMartyries']}
    rects = {name: to_picture((x, y, w, h), UPPER, W, H, 1.2) for name, x, y, w, h in keys}
    # One size for every tile, the largest at which all tiles with a syllable fit, so that the
    # syllables and letters do not change size from tile to tile.
    em = min(fitted_em(comps[name], rects[name], 80, 0.1) for name in rects if name in SYLLABLE_TILES) * 0.98
    for name in rects:
        art.add(type='tile', rect=rects[name], radius=5, fill=FILL[name], outline='#7a7a7a', width=1)
    for name in rects:
        art.add(type='sign', word=name, rect=rects[name], em=em, margin=0.1)
    return art


def lower_picture():
    W, H = 545, 91
    art = Art('martyries_lower', W, H)
    art.add(type='tile', rect=[0, 0, W, H], radius=0, fill='#ffffff')
    for name, x, y, w, h in lower1:
        art.add(type='tile', rect=to_picture((x, y, w, h), LOWER, W, H, 1.0), radius=5, fill='#ffffff',
                outline='#8c8c8c', width=1)
    for name, x, y, w, h in lower1:
        art.add(type='sign', word=name, rect=to_picture((x, y, w, h), LOWER, W, H, 1.0), em=20, margin=0.08)
    for name, x, y, w, h in lower2:
        art.add(type='sign', word=name, rect=to_picture((x, y, w, h), LOWER, W, H, 0.5), em=55, margin=0.06)
    return art


def diafora_picture():
    W, H = 1223, 168
    art = Art('diafora', W, H)
    art.add(type='tile', rect=[0, 0, W, H], radius=0, fill='#ffd7ae')
    for title, x, w in BOXES:
        r = to_picture((x, 24, w, 126), DIAF, W, H, 0)
        art.add(type='tile', rect=r, radius=3, outline='#fff4e8', width=1.5)
        tx = r[0] + 8
        art.add(type='tile', rect=[tx - 3, r[1] - 9, len(title) * 9.6 + 6, 18], radius=0, fill='#ffd7ae')
        art.add(type='text', text=title, rect=[tx, r[1] - 9, len(title) * 9.6, 18], em=15, margin=0.05)
    keys = [k for r in dkeys for k in r]
    for name, x, y, w, h in keys:
        art.add(type='tile', rect=to_picture((x, y, w, h), DIAF, W, H, 1.0), radius=4, fill='#e8e8e8',
                outline='#8c8c8c', width=1.2)
    for name, x, y, w, h in keys:
        art.add(type='sign', word=name, rect=to_picture((x, y, w, h), DIAF, W, H, 1.0), em=70,
                margin=0.08 if w < 20 else 0.12)
    return art


def green_arrow(ident, pointing):
    art = Art(ident, 72, 72)
    art.add(type='tile', rect=[0, 0, 72, 72], radius=0, fill='#ffffff')
    # glossy disc: a dark rim, the body, and a light cap over its upper half
    art.add(type='ellipse', rect=[4, 4, 64, 64], fill='#1f7a1f', outline='#145214', width=1)
    art.add(type='ellipse', rect=[6, 7, 60, 59], fill='#2fa82f')
    art.add(type='ellipse', rect=[14, 30, 44, 32], fill='#3cc23c')
    art.add(type='ellipse', rect=[13, 8, 46, 26], fill='#a6e6a6')
    art.add(type='ellipse', rect=[16, 9, 40, 20], fill='#d9f5d9')
    pts = [(18, 36), (36, 20), (36, 29), (54, 29), (54, 43), (36, 43), (36, 52)]
    if pointing == 'right':
        pts = [(72 - x, y) for x, y in pts]
    art.add(type='polygon', points=[list(p) for p in pts], fill='#ffffff', outline='#145214', width=1)
    return art


# ---------------------------------------------------------------- window descriptions

def keys_json(parent, handler, rows):
    lines = ['    { "kind": "keys", "parent": %s, "handler": %s, "size": [47, 47],' % (json.dumps(parent), json.dumps(handler)),
             '      "keys": [']
    flat = [k for r in rows for k in r]
    for ri, r in enumerate(rows):
        cells = ', '.join(json.dumps(k) for k in r)
        lines.append('        ' + cells + (',' if ri + 1 < len(rows) else ''))
    lines.append('      ] }')
    assert len({k[0] for k in flat}) == len(flat)
    return '\n'.join(lines)


def write_window(name, caption, controls_before, keys_block, controls_after):
    path = os.path.join(ROOT, 'resources', 'windows', name + '.json')
    parts = controls_before + [keys_block] + controls_after
    with open(path, 'w', encoding='utf-8') as f:
        f.write('{\n  "window": %s,\n  "caption": %s,\n  "clientSize": [1024, 527],\n  "scaled": true,\n'
                '  "controls": [\n' % (json.dumps(name), json.dumps(caption, ensure_ascii=False)))
        f.write(',\n'.join(parts) + '\n  ]\n}\n')


def main():
    assert len(SIGNS['FormMartyries']) == 80 and len(SIGNS['FormDiafora']) == 36
    write_signs()
    upper_picture().write()
    lower_picture().write()
    diafora_picture().write()
    green_arrow('greenarrow_left', 'left').write()
    green_arrow('greenarrow_right', 'right').write()
    write_window('FormMartyries', 'Αρκτικές Μαρτυρίες ήχου', [
        '    { "kind": "panel", "name": "Panel1", "rect": [0, 0, 1024, 720] }',
        '    { "kind": "panel", "name": "Panelmartyries", "parent": "Panel1", "rect": [2, 44, 785, 350], "scale": [1.3, 1.3],\n'
        '      "look": "calloutpanelstyle", "accessibleName": "Modal signatures" }',
        '    { "kind": "picture", "name": "Image16", "parent": "Panelmartyries", "rect": [8, 16, 773, 195], "art": "martyries_upper" }',
        '    { "kind": "picture", "name": "Image1", "parent": "Panelmartyries", "rect": [9, 214, 773, 131], "art": "martyries_lower" }',
    ], keys_json('Panelmartyries', 'ark1Click', mkeys + [lower1, lower2]), [
        '    { "kind": "button", "name": "Button1", "parent": "Panel1", "rect": [462, 0, 105, 41], "caption": "Επιστροφή",\n'
        '      "handler": "Button1Click", "accessibleName": "Back",\n'
        '      "accessibleDescription": "Hides the modal signatures and returns to the main palette" }',
    ])
    write_window('FormDiafora', 'Διάφορα', [
        '    { "kind": "panel", "name": "Panel1", "rect": [0, 0, 1024, 600] }',
        '    { "kind": "button", "name": "Button1", "parent": "Panel1", "rect": [458, 34, 105, 41], "caption": "Επιστροφή",\n'
        '      "handler": "Button1Click", "accessibleName": "Back",\n'
        '      "accessibleDescription": "Hides the miscellaneous signs and returns to the main palette" }',
        '    { "kind": "panel", "name": "Paneldiafora", "parent": "Panel1", "rect": [0, 80, 785, 319], "scale": [1.3, 1.3],\n'
        '      "look": "calloutpanelstyle", "accessibleName": "Miscellaneous signs" }',
        '    { "kind": "picture", "name": "Image16", "parent": "Paneldiafora", "rect": [8, 16, 773, 141], "art": "diafora" }',
    ], keys_json('Paneldiafora', 'en1Click', dkeys), [])


main()
