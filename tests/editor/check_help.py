#!/usr/bin/env python3
"""Checks the compiled help file against the libraries it serves.

1. Every control id and every non-zero help id in the dialog templates
   compiled into the given libraries (PE resources, RT_DIALOG, DLGTEMPLATE
   and DLGTEMPLATEEX) has a ".topic" in the TextPopups.txt inside the .chm,
   and so have the sheet buttons' help ids 1001-1005. The page base gives
   every control its own id as context help id, so a control without a
   topic would show an empty popup.
2. Every href and src in the topics names a file inside the .chm, every
   topic named by the contents (.hhc) and index (.hhk) is inside it, and
   every topic source beside the project made it into the .chm ([FILES]).

--self-test shows that the check catches faults: it removes one popup that a
template uses and breaks one link, and expects both to be reported.

Needs only python3 and extract_chmLib (package libchm-bin); no Wine.
"""
import argparse
import html.parser
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

RT_DIALOG = 5
SHEET_HELP_IDS = (1001, 1002, 1003, 1004, 1005)
NO_ID = (0, 0xFFFF, 0xFFFFFFFF)  # no id, or IDC_STATIC as a WORD or a DWORD


# --- PE resources -------------------------------------------------------

class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b'MZ':
            raise ValueError('not an MZ image')
        pe = struct.unpack_from('<I', data, 0x3C)[0]
        if data[pe:pe + 4] != b'PE\0\0':
            raise ValueError('no PE signature')
        sections, optional_size = struct.unpack_from('<2xH12xH', data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from('<H', data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.resource_rva = struct.unpack_from('<I', data, directories + 2 * 8)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            vsize, rva, rawsize, rawptr = struct.unpack_from('<4I', data, table + 40 * i + 8)
            self.sections.append((rva, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError('rva %#x outside every section' % rva)

    def _entries(self, directory):
        base = self.offset(self.resource_rva)
        at = base + directory
        named, ids = struct.unpack_from('<12xHH', self.data, at)
        for i in range(named + ids):
            name, target = struct.unpack_from('<II', self.data, at + 16 + 8 * i)
            yield name, target

    def resources(self, type_id):
        """(name id, bytes) of every resource of one numeric type."""
        if not self.resource_rva:
            return
        base = self.offset(self.resource_rva)
        for type_name, type_dir in self._entries(0):
            if type_name != type_id or not type_dir & 0x80000000:
                continue
            for name, name_dir in self._entries(type_dir & 0x7FFFFFFF):
                for _, leaf in self._entries(name_dir & 0x7FFFFFFF):
                    rva, size = struct.unpack_from('<II', self.data, base + leaf)
                    start = self.offset(rva)
                    yield name & 0x7FFFFFFF, self.data[start:start + size]


# --- Dialog templates ---------------------------------------------------

class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, fmt):
        values = struct.unpack_from('<' + fmt, self.data, self.at)
        self.at += struct.calcsize('<' + fmt)
        return values if len(values) > 1 else values[0]

    def align(self):
        self.at = (self.at + 3) & ~3

    def string(self):
        end = self.at
        while self.data[end:end + 2] != b'\0\0':
            end += 2
        text = self.data[self.at:end].decode('utf-16-le')
        self.at = end + 2
        return text

    def string_or_ordinal(self):
        first = struct.unpack_from('<H', self.data, self.at)[0]
        if first == 0xFFFF:
            self.at += 2
            return self.take('H')
        return self.string()


def dialog_controls(template):
    """(help id of the dialog, [(control id, class, help id)]) of one template."""
    r = Reader(template)
    extended = r.take('HH') == (1, 0xFFFF)
    if extended:
        dialog_help, _, style, count = r.take('III H')
    else:
        r.at = 0
        style, _, count = r.take('II H')
        dialog_help = 0
    r.take('4h')
    r.string_or_ordinal()  # menu
    r.string_or_ordinal()  # class
    r.string()  # caption
    if style & 0x40:  # DS_SETFONT / DS_SHELLFONT
        r.take('H' if not extended else 'HHBB')
        r.string()
    controls = []
    for _ in range(count):
        r.align()
        if extended:
            help_id, _, _ = r.take('III')
            r.take('4h')
            control_id = r.take('I')
        else:
            help_id = 0
            r.take('II 4h')
            control_id = r.take('H')
        window_class = r.string_or_ordinal()
        r.string_or_ordinal()  # title
        extra = r.take('H')  # creation data
        r.at += extra
        controls.append((control_id, window_class, help_id))
    return dialog_help, controls


def needed_popups(libraries):
    """{help id: where it is used} for the sheet buttons and every template."""
    needed = {help_id: 'sheet button' for help_id in SHEET_HELP_IDS}
    for library in libraries:
        with open(library, 'rb') as f:
            image = PeImage(f.read())
        name = os.path.basename(library)
        dialogs = 0
        for dialog_id, template in image.resources(RT_DIALOG):
            dialogs += 1
            dialog_help, controls = dialog_controls(template)
            if dialog_help:
                needed.setdefault(dialog_help, '%s dialog %d' % (name, dialog_id))
            for control_id, window_class, help_id in controls:
                where = '%s dialog %d control %s' % (name, dialog_id, window_class)
                if control_id not in NO_ID:
                    needed.setdefault(control_id, where)
                if help_id:
                    needed.setdefault(help_id, where + ' (help id)')
        if not dialogs:
            raise ValueError('%s holds no dialog templates' % library)
    return needed


def popup_topics(text):
    return {int(m.group(1)) for m in re.finditer(r'^\.topic\s+(\d+)\s*$', text, re.M)}


def missing_popups(needed, popups_text):
    have = popup_topics(popups_text)
    return ['help id %d (%s) has no popup topic' % (i, needed[i])
            for i in sorted(needed) if i not in have]


# --- Topics and links ---------------------------------------------------

class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.targets, self.sitemap = [], []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for name in ('href', 'src'):
            if attrs.get(name):
                self.targets.append(attrs[name])
        if tag == 'param' and (attrs.get('name') or '').lower() == 'local':
            self.sitemap.append(attrs.get('value') or '')


def parse(path):
    links = Links()
    with open(path, encoding='latin-1') as f:
        links.feed(f.read())
    return links


def broken_links(folder, sources=None):
    problems = []
    files = set()
    for root, _, names in os.walk(folder):
        for name in names:
            files.add(os.path.relpath(os.path.join(root, name), folder).replace(os.sep, '/'))
    topics = sorted(f for f in files if f.lower().endswith(('.htm', '.html')))
    if not topics:
        problems.append('no topics in the help file')
    for topic in topics:
        for target in parse(os.path.join(folder, topic)).targets:
            if re.match(r'^[a-z][a-z0-9+.-]*:', target, re.I) or target.startswith('#'):
                continue  # web addresses, mail, other help files; anchors in the page
            path = os.path.normpath(os.path.join(os.path.dirname(topic),
                                                 target.split('#')[0])).replace(os.sep, '/')
            if path not in files:
                problems.append('%s links to %s, which is not in the help file' % (topic, target))
    for sitemap in ('.hhc', '.hhk'):
        lists = [f for f in files if f.lower().endswith(sitemap)]
        if not lists:
            problems.append('no %s file in the help file' % sitemap)
        for name in lists:
            for local in parse(os.path.join(folder, name)).sitemap:
                if local.split('#')[0] not in files:
                    problems.append('%s names %s, which is not in the help file' % (name, local))
    if sources:
        for name in sorted(os.listdir(sources)):
            if (name.lower().endswith(('.htm', '.html')) or name == 'TextPopups.txt') and \
                    name not in files:
                problems.append('%s is not compiled into the help file' % name)
    return problems


# --- Driver -------------------------------------------------------------

def extract(chm, folder):
    if not shutil.which('extract_chmLib'):
        sys.exit('extract_chmLib missing (package libchm-bin)')
    subprocess.run(['extract_chmLib', chm, folder], check=True, stdout=subprocess.DEVNULL)


def check(folder, libraries, sources):
    popups = os.path.join(folder, 'TextPopups.txt')
    if not os.path.isfile(popups):
        return ['TextPopups.txt is not in the help file']
    with open(popups, encoding='latin-1') as f:
        text = f.read()
    return missing_popups(needed_popups(libraries), text) + broken_links(folder, sources)


def self_test(folder, libraries):
    """The check must report a removed popup that a template needs and a
    broken link; the unchanged help file must pass."""
    failures = []
    if check(folder, libraries, None):
        failures.append('the unchanged help file does not pass')
    needed = sorted(i for i in needed_popups(libraries) if i not in SHEET_HELP_IDS)
    if not needed:
        return failures + ['the templates give no control ids']
    victim = needed[len(needed) // 2]
    popups = os.path.join(folder, 'TextPopups.txt')
    with open(popups, encoding='latin-1') as f:
        text = f.read()
    cut = re.sub(r'^\.topic\s+%d\s*$.*?(?=^\.topic|\Z)' % victim, '', text, flags=re.M | re.S)
    with open(popups, 'w', encoding='latin-1') as f:
        f.write(cut)
    report = check(folder, libraries, None)
    if not any('help id %d ' % victim in line for line in report):
        failures.append('a missing popup for %d was not reported' % victim)
    with open(popups, 'w', encoding='latin-1') as f:
        f.write(text)
    with open(os.path.join(folder, 'index.htm'), 'a', encoding='latin-1') as f:
        f.write('<a href="gone.htm">gone</a>\n')
    if not any('gone.htm' in line for line in check(folder, libraries, None)):
        failures.append('a link to a missing topic was not reported')
    if not failures:
        print('the check reports a missing popup (%d) and a broken link' % victim)
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('chm')
    parser.add_argument('libraries', nargs='+', help='DLLs whose dialog templates need popups')
    parser.add_argument('--sources', help='the help project folder: its topics must be compiled')
    parser.add_argument('--self-test', action='store_true')
    args = parser.parse_args()
    folder = tempfile.mkdtemp()
    try:
        extract(args.chm, folder)
        problems = (self_test(folder, args.libraries) if args.self_test
                    else check(folder, args.libraries, args.sources))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for line in problems:
        print(line)
    if not problems and not args.self_test:
        print('every help id has a popup topic and every link resolves')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
