#!/usr/bin/env python3
"""Writes MEASURE.md from what scripts/measure-formats left in its work folder.

Usage: measure_formats.py CORPUS WORK REL...   (REL: docx/<source>/<name>.docx ...)
"""
import difflib
import os
import re
import sys
import xml.etree.ElementTree as ET

NS = {
    'office': 'urn:oasis:names:tc:opendocument:xmlns:office:1.0',
    'style': 'urn:oasis:names:tc:opendocument:xmlns:style:1.0',
    'text': 'urn:oasis:names:tc:opendocument:xmlns:text:1.0',
    'table': 'urn:oasis:names:tc:opendocument:xmlns:table:1.0',
    'draw': 'urn:oasis:names:tc:opendocument:xmlns:drawing:1.0',
    'fo': 'urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0',
}
STRUCTURES = ['cells', 'links', 'pictures', 'list items', 'formatted runs', 'aligned paragraphs']
TARGET_SIMILARITY = 0.95
TARGET_SHARE = 0.95


def q(prefix, name):
    return '{%s}%s' % (NS[prefix], name)


def words(text):
    return text.split()


def similarity(a, b):
    """2 * matching words / all words, matching as difflib finds it."""
    if not a and not b:
        return 1.0
    m = difflib.SequenceMatcher(None, a, b, autojunk=False)
    return 2.0 * sum(block.size for block in m.get_matching_blocks()) / (len(a) + len(b))


def read_text(path):
    if not os.path.isfile(path):
        return None
    with open(path, encoding='utf-8', errors='replace') as f:
        return f.read().lstrip('\ufeff')


def styles_of(root):
    """name -> (family, parent, properties of its text and paragraph parts)."""
    out = {}
    for tag in ('styles', 'automatic-styles'):
        for holder in root.iter(q('office', tag)):
            for s in holder.findall(q('style', 'style')):
                props = {}
                for part in ('text-properties', 'paragraph-properties'):
                    p = s.find(q('style', part))
                    if p is not None:
                        props.update(p.attrib)
                out[s.get(q('style', 'name'))] = (s.get(q('style', 'family')),
                                                  s.get(q('style', 'parent-style-name')), props)
    return out


def prop(styles, name, key, depth=0):
    """A property of a style, looked up its parent chain."""
    while name in styles and depth < 20:
        _, parent, props = styles[name]
        if key in props:
            return props[key]
        name, depth = parent, depth + 1
    return None


def first_prop(styles, names, key):
    """A property as the innermost of nested styles that sets it has it."""
    for name in names:
        v = prop(styles, name, key)
        if v is not None:
            return v
    return None


def run_format(styles, names):
    """The run formats every format here can hold, as the nested styles
    (innermost first) set them: bold, italic, underline, strike-out,
    raised/lowered text."""
    found = []
    weight = first_prop(styles, names, q('fo', 'font-weight'))
    if weight and weight not in ('normal', '400'):
        found.append('bold')
    if first_prop(styles, names, q('fo', 'font-style')) in ('italic', 'oblique'):
        found.append('italic')
    for key in ('text-underline-style', 'text-line-through-style'):
        v = first_prop(styles, names, q('style', key))
        if v and v != 'none':
            found.append(key)
    pos = first_prop(styles, names, q('style', 'text-position'))
    if pos and not pos.startswith('0%') and pos != '0':
        found.append('position')
    return tuple(found)


def formatted_runs(styles, paragraph):
    """Stretches of a paragraph's text in one run format, as its spans and
    the paragraph's own style set it. Neighbouring stretches of one format
    are one run: how a writer splits its runs, or whether a format every run
    has is the paragraph's, is not something a reader sees."""
    pieces = []

    def walk(node, names):
        fmt = run_format(styles, names)
        if node.text:
            pieces.append((fmt, node.text))
        for child in node:
            inner = names
            if child.tag == q('text', 'span'):
                inner = [child.get(q('text', 'style-name'))] + names
            if child.tag not in (q('text', 'note'), q('office', 'annotation'), q('draw', 'frame')):
                walk(child, inner)
            if child.tail:
                pieces.append((fmt, child.tail))

    walk(paragraph, [paragraph.get(q('text', 'style-name'))])
    runs, last = 0, None
    for fmt, text in pieces:
        if not text.strip():
            continue
        if fmt and fmt != last:
            runs += 1
        last = fmt
    return runs


def count(fodt):
    """Structure counts of a flat ODF text, or None if it is missing or broken."""
    if not os.path.isfile(fodt):
        return None
    try:
        root = ET.parse(fodt).getroot()
    except ET.ParseError:
        return None
    styles = styles_of(root)
    body = root.find(q('office', 'body'))
    if body is None:
        return None
    c = dict.fromkeys(STRUCTURES, 0)
    c['cells'] = sum(1 for _ in body.iter(q('table', 'table-cell')))
    c['links'] = sum(1 for _ in body.iter(q('text', 'a')))
    c['pictures'] = sum(1 for _ in body.iter(q('draw', 'image')))
    c['list items'] = sum(1 for _ in body.iter(q('text', 'list-item')))
    c['formatted runs'] = sum(formatted_runs(styles, p)
                              for tag in ('p', 'h') for p in body.iter(q('text', tag)))
    for tag in ('p', 'h'):
        for p in body.iter(q('text', tag)):
            align = prop(styles, p.get(q('text', 'style-name')), q('fo', 'text-align'))
            if align and align not in ('start', 'left') and ''.join(p.itertext()).strip():
                c['aligned paragraphs'] += 1
    return c


def hint(expected, got):
    """What the two texts differ in, briefly."""
    m = difflib.SequenceMatcher(None, expected, got, autojunk=False)
    lost, extra = [], []
    for op, a0, a1, b0, b1 in m.get_opcodes():
        if op in ('delete', 'replace'):
            lost += expected[a0:a1]
        if op in ('insert', 'replace'):
            extra += got[b0:b1]
    parts = []
    if lost:
        parts.append('%d words of LibreOffice\'s text missing, e.g. "%s"' % (len(lost), ' '.join(lost[:8])))
    if extra:
        parts.append('%d words more, e.g. "%s"' % (len(extra), ' '.join(extra[:8])))
    return '; '.join(parts).replace('|', '\\|')


def main():
    corpus, work, rels = sys.argv[1], sys.argv[2], sys.argv[3:]
    rows, short = [], []
    kept = {'same': {s: [0, 0] for s in STRUCTURES}, 'cross': {s: [0, 0] for s in STRUCTURES}}
    saves_failed = {'same': [], 'cross': []}
    for rel in rels:
        fmt, inner = rel.split('/', 1)
        stem = os.path.splitext(os.path.basename(rel))[0]
        other = 'odt' if fmt == 'docx' else 'docx'
        d = os.path.join(work, os.path.dirname(rel))
        expected = read_text(os.path.join(corpus, fmt, 'expected-text', os.path.splitext(inner)[0] + '.txt'))
        got = read_text(os.path.join(d, 'quillet', stem + '.txt'))
        if expected is None:
            sim, note = None, 'LibreOffice could not read it'
        elif got is None:
            sim, note = 0.0, 'Quillet could not read it'
        else:
            e, g = words(expected), words(got)
            sim = similarity(e, g)
            note = hint(e, g) if sim < TARGET_SIMILARITY else ''
        orig = count(os.path.join(d, 'orig', stem + '.fodt'))
        shares = {}
        for kind, ext in (('same', fmt), ('cross', other)):
            rt = count(os.path.join(d, kind, stem + '.fodt'))
            if orig is None:
                shares[kind] = None
                continue
            if rt is None:
                saves_failed[kind].append(rel)
                rt = dict.fromkeys(STRUCTURES, 0)
            shares[kind] = {}
            for s in STRUCTURES:
                kept[kind][s][0] += min(rt[s], orig[s])
                kept[kind][s][1] += orig[s]
                shares[kind][s] = (min(rt[s], orig[s]), orig[s])
        rows.append((rel, sim, orig, shares, note))
        if sim is not None and sim < TARGET_SIMILARITY:
            short.append((rel, sim, note))

    out = []
    w = out.append
    w('# Word and OpenDocument corpus: measured\n')
    w('Made by `scripts/measure-formats`, which needs LibreOffice (it installs')
    w('`libreoffice-writer-nogui` through `scripts/setup.sh`; the tests never need it). Rerun with')
    w('`scripts/measure-formats` after building `quillet-convert`; `--keep-expected` compares')
    w('with the committed expected texts instead of making them again.\n')
    w('- **Text**: LibreOffice\'s text of each file (`soffice --convert-to txt`, UTF-8) is the')
    w('  expected text, committed in `<fmt>/expected-text/`. Quillet\'s text is')
    w('  `quillet-convert FILE out.txt`. Word similarity = 2 x matching words / all words of')
    w('  both, words split at white space, matched as Python\'s `difflib` does.')
    w('- **Saves**: `quillet-convert FILE out.<same format>` and `out.<other format>`; LibreOffice')
    w('  converts the original and each save to flat ODF (`.fodt`), where these are counted:')
    w('  table cells (`table:table-cell`), links (`text:a`), pictures (`draw:image`), list items')
    w('  (`text:list-item`), formatted runs (stretches of a paragraph\'s text that its spans\' styles')
    w('  or its own, through their parents, set bold, italic, underline, strike-out or raised/lowered;')
    w('  neighbouring stretches of one format are one run) and aligned paragraphs')
    w('  (`text:p`/`text:h` with text whose style sets `fo:text-align` other than start/left).')
    w('  Kept share = min(save, original) / original, summed over the files.\n')

    sims = [r[1] for r in rows if r[1] is not None]
    good = sum(1 for s in sims if s >= TARGET_SIMILARITY)
    w('## Totals\n')
    w('| measure | result | target |')
    w('| --- | --- | --- |')
    w('| files | %d (%d LibreOffice could read) | |' % (len(rows), len(sims)))
    if sims:
        w('| files at word similarity >= %.2f | %d of %d (%.1f%%) | >= 95%% |'
          % (TARGET_SIMILARITY, good, len(sims), 100.0 * good / len(sims)))
        w('| mean word similarity | %.3f | |' % (sum(sims) / len(sims)))
    for kind, label in (('same', 'saved in its own format'), ('cross', 'saved in the other format')):
        for s in STRUCTURES:
            k, n = kept[kind][s]
            w('| %s kept, %s | %s | >= 95%% |' % (s, label, '%d of %d (%.1f%%)' % (k, n, 100.0 * k / n) if n else 'none in the corpus'))
    w('')
    # The same, split by the format saved to.
    w('### Kept through a save, by format\n')
    w('| from -> to | ' + ' | '.join(STRUCTURES) + ' |')
    w('| --- |' + ' --- |' * len(STRUCTURES))
    for src_fmt in ('docx', 'odt'):
        for kind in ('same', 'cross'):
            dst = src_fmt if kind == 'same' else ('odt' if src_fmt == 'docx' else 'docx')
            cells = []
            for s in STRUCTURES:
                k = n = 0
                for rel, _, _, shares, _ in rows:
                    if rel.startswith(src_fmt + '/') and shares.get(kind):
                        k += shares[kind][s][0]
                        n += shares[kind][s][1]
                cells.append('%d/%d (%.0f%%)' % (k, n, 100.0 * k / n) if n else '-')
            w('| %s -> %s | %s |' % (src_fmt, dst, ' | '.join(cells)))
    w('')
    for kind in ('same', 'cross'):
        if saves_failed[kind]:
            w('Saves (%s format) that LibreOffice could not read back, counted as keeping nothing: %s\n'
              % ('own' if kind == 'same' else 'other', ', '.join('`%s`' % r for r in saves_failed[kind])))

    w('## Files below word similarity %.2f\n' % TARGET_SIMILARITY)
    if not short:
        w('None.\n')
    for rel, sim, note in sorted(short, key=lambda r: r[1]):
        w('- `%s`: %.3f. %s' % (rel, sim, note))
    w('')

    w('## Per file\n')
    w('Structures: original count, then kept in own-format save / other-format save; "-" where')
    w('the original has none.\n')
    w('| file | words | similarity | ' + ' | '.join(STRUCTURES) + ' |')
    w('| --- | --- | --- |' + ' --- |' * len(STRUCTURES))
    for rel, sim, orig, shares, _ in rows:
        expected = read_text(os.path.join(corpus, rel.split('/')[0], 'expected-text',
                                          os.path.splitext(rel.split('/', 1)[1])[0] + '.txt'))
        nwords = len(words(expected)) if expected is not None else '-'
        cells = []
        for s in STRUCTURES:
            if orig is None or not orig[s]:
                cells.append('-')
                continue
            a = shares['same'][s][0] if shares.get('same') else '?'
            b = shares['cross'][s][0] if shares.get('cross') else '?'
            cells.append('%d: %s/%s' % (orig[s], a, b))
        w('| `%s` | %s | %s | %s |' % (rel, nwords, '%.3f' % sim if sim is not None else '-', ' | '.join(cells)))
    w('')
    print('\n'.join(out))


if __name__ == '__main__':
    main()
