#!/usr/bin/env python3
"""The web page's words in every language: texts.js for the page's folder.

    tools/page-texts.py PO_FOLDER OUTPUT

Reads PO_FOLDER/LINGUAS and each <language>.po it names, keeps the messages
whose references name a file under web/ (the page's own: page.js), leaves out
fuzzy and untranslated ones, and writes OUTPUT as one script that sets
window.tessarilTexts = {language: {msgid: msgstr}} for page.js. The game's
own messages stay in the catalogues the game reads itself.
"""
import ast
import json
import sys
from pathlib import Path


def entries(text):
    """Each entry of a .po text as (references, flags, msgid, msgstr)."""
    refs, flags, fields, last = [], [], {}, None
    for line in text.splitlines() + ['']:
        line = line.strip()
        if not line or (line.startswith('#') and 'msgstr' in fields):
            if 'msgid' in fields:
                yield refs, flags, fields.get('msgid', ''), fields.get('msgstr', '')
            refs, flags, fields, last = [], [], {}, None
            if not line:
                continue
        if line.startswith('#:'):
            refs += line[2:].split()
        elif line.startswith('#,'):
            flags += [f.strip() for f in line[2:].split(',')]
        elif line.startswith('#'):
            continue
        elif line.startswith('"'):
            if last:
                fields[last] += ast.literal_eval(line)
        else:
            key, _, rest = line.partition(' ')
            last = key
            fields[key] = ast.literal_eval(rest.strip())


def main():
    folder, output = Path(sys.argv[1]), Path(sys.argv[2])
    texts = {}
    for language in (folder / 'LINGUAS').read_text(encoding='utf-8').split():
        page = {}
        po = (folder / (language + '.po')).read_text(encoding='utf-8')
        for refs, flags, msgid, msgstr in entries(po):
            if msgid and msgstr and 'fuzzy' not in flags and \
                    any(r.startswith('web/') for r in refs):
                page[msgid] = msgstr
        texts[language] = page
    script = ('// The page\'s words in every language, made from po/ by '
              'tools/page-texts.py.\nwindow.tessarilTexts = ' +
              json.dumps(texts, ensure_ascii=False, sort_keys=True, indent=1) + ';\n')
    output.write_text(script, encoding='utf-8')


if __name__ == '__main__':
    main()
