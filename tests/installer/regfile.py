"""Reads a registry export of regedit /E (UTF-16 .reg text) into keys and
values, and lists how two exports differ. Key and value names compare
case-insensitively, as in the registry."""
import re

# What Wine itself rewrites at every start, whatever the programs do: the
# hardware description, the display and monitor device classes (rewritten
# with a new driver date when no display is there) and Wine's own settings.
VOLATILE = [re.compile(pattern, re.I) for pattern in (
    r"HKEY_LOCAL_MACHINE\\Hardware(\\|$)",
    r"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class(\\|$)",
    r"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum(\\|$)",
    r"HKEY_LOCAL_MACHINE\\Software\\(Wow6432Node\\)?Wine(\\|$)",
    r"HKEY_USERS\\[^\\]+\\Software\\Wine(\\|$)",
)]


class Values(dict):
    def get(self, name, default=None):
        return dict.get(self, name.lower(), (None, default))[1]

    def __contains__(self, name):
        return dict.__contains__(self, name.lower())


class Registry(dict):
    def get(self, key, default=None):
        entry = dict.get(self, key.lower())
        return entry[1] if entry else default

    def __contains__(self, key):
        return dict.__contains__(self, key.lower())


def _string(text):
    return text.replace('\\"', '"').replace("\\\\", "\\")


def _value(data):
    if data.startswith('"'):
        return _string(data[1:-1])
    if data.startswith("dword:"):
        return int(data[6:], 16)
    return data


def load(path):
    raw = open(path, "rb").read()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8", "replace")
    lines = text.replace("\r\n", "\n").split("\n")
    reg = Registry()
    values = None
    pending = ""
    for line in lines:
        if pending:
            line = pending + line.strip()
            pending = ""
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            values = Values()
            dict.__setitem__(reg, key.lower(), (key, values))
        elif values is not None and (line.startswith('"') or line.startswith("@=")):
            if line.startswith("@="):
                name, data = "", line[2:]
            else:
                m = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
                if not m:
                    continue
                name, data = _string(m.group(1)), m.group(2)
            dict.__setitem__(values, name.lower(), (name, _value(data)))
    return reg


def _volatile(key):
    return any(v.match(key) for v in VOLATILE)


def diff(before, after, ignore=()):
    """Lines "- key", "+ key", "- key [name] = value", "+ key [name] = value"
    for what was removed or added; keys below VOLATILE or ignore are left out."""
    out = []
    skip = [v.lower() for v in ignore]

    def left_out(key):
        low = key.lower()
        return _volatile(key) or any(low == s or low.startswith(s + "\\") for s in skip)

    for low in sorted(set(before) | set(after)):
        b = dict.get(before, low)
        a = dict.get(after, low)
        key = (a or b)[0]
        if left_out(key):
            continue
        if a is None:
            out.append("- " + key)
            continue
        if b is None:
            out.append("+ " + key)
            continue
        for name in sorted(set(b[1]) | set(a[1])):
            bv = dict.get(b[1], name)
            av = dict.get(a[1], name)
            if bv != av:
                if bv is not None:
                    out.append(f"- {key} [{bv[0]}] = {bv[1]!r}")
                if av is not None:
                    out.append(f"+ {key} [{av[0]}] = {av[1]!r}")
    return out
