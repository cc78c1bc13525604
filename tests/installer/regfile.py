"""Reads a Wine prefix's registry into keys and values, straight from the
files in which the Wine server keeps it (system.reg, user.reg, userdef.reg:
both registry views, written out when the server ends), and lists how two
readings differ. Key and value names compare case-insensitively, as in the
registry. Reading the files gives what `regedit /E` would export, without
a Wine start that takes several seconds per export."""
import os
import re

# What Wine itself rewrites at every start, whatever the programs do: the
# hardware description, the display and monitor device classes (rewritten
# with a new driver date when no display is there), the network cards and
# Wine's own settings.
VOLATILE = [re.compile(pattern, re.I) for pattern in (
    r"HKEY_LOCAL_MACHINE\\Hardware(\\|$)",
    r"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class(\\|$)",
    r"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum(\\|$)",
    r"HKEY_LOCAL_MACHINE\\Software\\(Wow6432Node\\)?Wine(\\|$)",
    r"HKEY_LOCAL_MACHINE\\Software\\(Wow6432Node\\)?Microsoft\\Windows NT\\CurrentVersion\\NetworkCards(\\|$)",
    r"HKEY_CURRENT_USER\\Software\\Wine(\\|$)",
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


# The prefix's registry files and the root keys they hold.
FILES = (("system.reg", "HKEY_LOCAL_MACHINE"), ("user.reg", "HKEY_CURRENT_USER"),
         ("userdef.reg", "HKEY_USERS\\.Default"))


def _read(path, root, reg):
    """Adds the keys of one registry file: Wine's own format (keys relative
    to root, backslashes doubled, a timestamp after the key)."""
    values = None
    pending = ""
    for line in open(path, encoding="utf-8", errors="replace").read().split("\n"):
        if pending:
            line = pending + line.strip()
            pending = ""
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        m = re.match(r"^\[(.*)\](?: \d+)?$", line)
        if m:
            key = root + "\\" + m.group(1).replace("\\\\", "\\")
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


def load(prefix):
    """The registry of a prefix whose server has ended."""
    reg = Registry()
    for name, root in FILES:
        path = os.path.join(prefix, name)
        if os.path.exists(path):
            _read(path, root, reg)
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
