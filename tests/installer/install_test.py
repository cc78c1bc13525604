#!/usr/bin/python3
"""Setup program under Wine: a silent install into a fresh prefix, what it
put on disk and in the registry, an installed example run by the installed
ZELK.EXE, a silent uninstall, and the registry compared with the prefix as
it was before the install. Once in a 64-bit prefix and, where 32-bit Wine
starts, once in a 32-bit prefix; in the 64-bit prefix a second round
installs with /D=, then updates that copy (into the same folder).

Usage: install_test.py SETUP_EXE BUILD_NSI WORK_DIR
"""
import os
import shutil
import subprocess
import sys
import time

import regfile

SETUP, BUILD_NSI, WORK = (os.path.abspath(a) for a in sys.argv[1:4])
WINE32 = "/usr/lib/wine/wine"
WINE64 = "/usr/lib/wine/wine64"
UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ferrovane"
WOW_UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Ferrovane"
COMMAND_CLSID = "{A0E43D26-522B-40AA-B01F-E3FC037A0F52}"
INFOTIP_CLSID = "{73A91744-E690-46D4-BF6E-D64C4EF77003}"
PROP_CLSID = "{164914BE-8165-43D9-B304-090FFBE4D4B7}"
JOTWELL_CLSID = "{4B0AFE47-4387-487D-8FEF-CE43F9E020FE}"
CATEGORY = r"Component Categories\{21556C40-465F-11D2-B3A2-00600831FF5A}"
# Registration leaves the maker's component category key in place.
CATEGORY_KEY = r"HKEY_LOCAL_MACHINE\Software\Classes" + "\\" + CATEGORY
# The machine's classes (what HKEY_CLASSES_ROOT shows; regedit exports them here).
HKCR = "HKEY_LOCAL_MACHINE\\Software\\Classes\\"
DELIVERABLES = ["ZELK.EXE", "ZELKadmin.EXE", "Taskel.dll", "Jotwell.dll", "Uninstall.exe"]
SHORTCUTS = ["New File Command.lnk", "Examples.lnk", "Uninstall Ferrovane.lnk"]

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


class Prefix:
    """A fresh Wine prefix and the loaders that run programs in it."""

    def __init__(self, name, win64, setup_loader):
        self.name = name
        self.installed = None  # Windows path of the installed copy
        self.path = os.path.join(WORK, name)
        self.win64 = win64
        self.tools = WINE64 if win64 else WINE32  # regedit, ZELK.EXE: native bitness
        self.setup_loader = setup_loader
        self.env = dict(os.environ, WINEPREFIX=self.path, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        self.env.pop("DISPLAY", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env["WINEARCH"] = "win64" if win64 else "win32"
        shutil.rmtree(self.path, ignore_errors=True)
        os.makedirs(self.path)
        self.run(self.tools, ["wineboot", "-i"])
        self.wait()

    def run(self, loader, args, timeout=120):
        return subprocess.run([loader] + args, env=self.env, timeout=timeout,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT).returncode

    def wait(self):
        """Until every program of the prefix has ended (the uninstaller
        goes on in a copy of itself) and the registry is on disk."""
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)

    def c(self, *parts):
        """Linux path below the prefix's C: drive."""
        return os.path.join(self.path, "drive_c", *parts)

    def registry(self, name):
        """The registry as it is now, once every program has ended: ending
        the server (rather than waiting for its idle services to end, some
        seconds each time) writes it out. A copy of its files goes to the
        work folder as <name>-*.reg."""
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=120)
        self.wait()
        for file, _ in regfile.FILES:
            if os.path.exists(os.path.join(self.path, file)):
                shutil.copy(os.path.join(self.path, file),
                            os.path.join(WORK, name.replace("/", "").replace("=", "") + "-" + file))
        return regfile.load(self.path)


def machine(path):
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-f", path],
                         stdout=subprocess.PIPE, text=True).stdout
    return "pei-x86-64" if "pei-x86-64" in out else "pei-i386" if "pei-i386" in out else "?"


def link_holds(path, text):
    """Whether a shortcut holds a text (its arguments, as UTF-16 or ANSI)."""
    data = open(path, "rb").read()
    return text.encode("utf-16-le") in data or text.encode("ascii") in data


def check_installed(p, reg, folder_win, folder, label):
    arch = "pei-x86-64" if p.win64 else "pei-i386"
    for name in DELIVERABLES:
        path = os.path.join(folder, name)
        check(os.path.isfile(path), f"{label}: {name} installed")
    check(machine(os.path.join(folder, "Taskel.dll")) == arch,
          f"{label}: Taskel.dll is the {arch} build")
    examples = sorted(os.listdir(os.path.join(folder, "Examples")))
    check(len(examples) >= 5 and all(e.endswith(".Taskel") for e in examples),
          f"{label}: example command files installed ({', '.join(examples)})")

    menu = p.c("ProgramData", "Microsoft", "Windows", "Start Menu", "Programs", "Ferrovane")
    for name in SHORTCUTS:
        check(os.path.isfile(os.path.join(menu, name)), f"{label}: Start menu shortcut {name}")
    new_link = os.path.join(menu, "New File Command.lnk")
    if os.path.isfile(new_link):
        check(link_holds(new_link, "ZELK.EXE") and link_holds(new_link, "/new"),
              f"{label}: New File Command starts ZELK.EXE /new")

    key = reg.get(UNINSTALL_KEY, {})
    quoted = f'"{folder_win}\\Uninstall.exe"'
    check(key.get("DisplayName") == "Ferrovane" and key.get("DisplayVersion") == "1.0.0"
          and key.get("Publisher") == "Veltrac", f"{label}: uninstall entry names Ferrovane 1.0.0 by Veltrac")
    check(key.get("UninstallString") == quoted and key.get("QuietUninstallString") == quoted + " /S",
          f"{label}: uninstall and quiet uninstall commands ({key.get('QuietUninstallString')})")
    check(key.get("DisplayIcon") == folder_win + "\\Taskel.dll,0", f"{label}: uninstall entry icon")
    size = key.get("EstimatedSize")
    check(isinstance(size, int) and size > 100, f"{label}: estimated size {size} KB")
    if p.win64:
        check(WOW_UNINSTALL_KEY not in reg, f"{label}: uninstall entry in the 64-bit view only")

    check(reg.get(HKCR + ".Taskel", {}).get("") == "Veltrac.Taskel", f"{label}: HKCR\\.Taskel")
    launcher = f'"{folder_win}\\ZELK.EXE"' if " " in folder_win else f"{folder_win}\\ZELK.EXE"
    run_line = reg.get(HKCR + r"Veltrac.Taskel\shell\Open\Command", {}).get("")
    check(run_line == launcher + ' /run "%1"', f"{label}: Run verb {run_line}")
    shellex = HKCR + r"Veltrac.Taskel\shellex"
    check(reg.get(shellex + r"\PropertySheetHandlers\Command Properties", {}).get("") == PROP_CLSID,
          f"{label}: property sheet handler")
    check(reg.get(shellex + r"\{00021500-0000-0000-C000-000000000046}", {}).get("") == INFOTIP_CLSID,
          f"{label}: info tip handler")
    server = reg.get(HKCR + rf"CLSID\{COMMAND_CLSID}\InProcServer32", {}).get("", "")
    check(server.strip('"').lower() == (folder_win + "\\Taskel.dll").lower(),
          f"{label}: command class served by the installed library ({server})")
    jotwell = HKCR + rf"CLSID\{JOTWELL_CLSID}"
    check(reg.get(HKCR + r"Veltrac.JotwellPage\CLSID", {}).get("") == JOTWELL_CLSID
          and reg.get(jotwell + r"\InProcServer32", {}).get("ThreadingModel") == "Apartment",
          f"{label}: settings page class registered (Veltrac.JotwellPage)")
    check(reg.get(jotwell + r"\InProcServer32", {}).get("", "").lower().endswith("jotwell.dll"),
          f"{label}: settings page class served by Jotwell.dll")
    if p.win64:
        wow = rf"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Classes\CLSID\{COMMAND_CLSID}"
        check(wow not in reg, f"{label}: classes registered in the 64-bit view only")


def check_run(p, folder):
    """Runs two installed examples with the installed launcher on a folder
    of sample files (rename *.jpeg to *.jpg; move reports renamed to .old)."""
    work = p.c("work")
    shutil.rmtree(work, ignore_errors=True)
    for sub in ("photos", "reports"):
        os.makedirs(os.path.join(work, sub))
    for name in ("photos/cat.jpeg", "photos/dog.jpeg", "photos/tree.png", "reports/q1.txt"):
        with open(os.path.join(work, name), "w") as f:
            f.write("sample " + name)
    for name in ("jpeg-to-jpg.Taskel", "archive-reports.Taskel"):
        shutil.copy(os.path.join(folder, "Examples", name), work)
    zelk = os.path.join(folder, "ZELK.EXE")
    rc = p.run(p.tools, [zelk, "/run", "/s", r"C:\work\jpeg-to-jpg.Taskel", "/s", r"C:\work\archive-reports.Taskel"])
    after = sorted(os.path.relpath(os.path.join(d, f), work) for d, _, fs in os.walk(work) for f in fs
                   if not f.endswith(".Taskel"))
    check(rc == 0 and after == ["archive/q1.old", "photos/cat.jpg", "photos/dog.jpg", "photos/tree.png"],
          f"installed ZELK.EXE /run of two installed examples: {after}")
    shutil.rmtree(work)


SESSION_MANAGER = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Session Manager"
PENDING = "PendingFileRenameOperations"


def uninstaller_copy_only(value):
    """Whether a pending-rename list names only the uninstaller's copy and
    its folder (~nsu*.tmp in the temporary folder)."""
    if value is None:
        return False
    entries = [e for e in str(value).split("\\0") if len(e.strip('"')) > 1]
    return all("\\temp\\~nsu" in e.lower().replace("\\\\", "\\") for e in entries)


def check_removed(p, before, after, folder, label, user_file):
    # An uninstaller runs from a copy of itself in the temporary folder and
    # has Windows delete that copy at the next restart: that request may be
    # new, but nothing else may be waiting for a restart.
    for reg in (before, after):
        pending = reg.get(SESSION_MANAGER)
        if pending is not None and uninstaller_copy_only(pending.get(PENDING)):
            dict.pop(pending, PENDING.lower(), None)
    changed = regfile.diff(before, after, [CATEGORY_KEY])
    for line in changed[:20]:
        print("     " + line)
    check(not changed, f"{label}: registry after uninstall as before install ({len(changed)} differences)")
    left = sorted(os.path.relpath(os.path.join(d, f), folder) for d, _, fs in os.walk(folder) for f in fs) \
        if os.path.isdir(folder) else []
    expect = ["Examples/" + user_file] if user_file else []
    check(left == expect, f"{label}: left in the install folder: {left or 'nothing'}")
    if not user_file:
        check(not os.path.exists(folder), f"{label}: install folder removed")
    menu = p.c("ProgramData", "Microsoft", "Windows", "Start Menu", "Programs", "Ferrovane")
    check(not os.path.exists(menu), f"{label}: Start menu folder removed")


def install_round(p, setup, label, folder_win, args, before):
    """Installs (folder_win empty: over the installed copy, into its folder)."""
    folder_win = folder_win or p.installed
    p.installed = folder_win
    folder = p.c(*folder_win[3:].split("\\"))
    rc = p.run(p.setup_loader, [setup, "/S"] + args, timeout=300)
    check(rc == 0, f"{label}: {os.path.basename(setup)} /S {' '.join(args)} exit code {rc}")
    installed = p.registry(f"{p.name}-{label}-installed")
    check_installed(p, installed, folder_win, folder, label)
    return folder


def uninstall_round(p, before, folder, label, user_file=None):
    """Uninstalls and returns the registry export made afterwards."""
    if user_file:
        # A command file of the user's own in the examples folder stays.
        shutil.copy(os.path.join(folder, "Examples", "clean-temp.Taskel"),
                    os.path.join(folder, "Examples", user_file))
    rc = p.run(p.setup_loader, [os.path.join(folder, "Uninstall.exe"), "/S"], timeout=300)
    p.wait()  # the uninstaller goes on in a copy of itself
    check(rc == 0, f"{label}: Uninstall.exe /S exit code {rc}")
    after = p.registry(f"{p.name}-{label}-after")
    check(CATEGORY_KEY in after, f"{label}: the component category key stays")
    check_removed(p, before, after, folder, label, user_file)
    if user_file:
        shutil.rmtree(folder)
    return after


def test_prefix(name, win64, setup, setup_loader):
    print(f"== {name} prefix ==", flush=True)
    started = time.monotonic()
    p = Prefix(name, win64, setup_loader)
    try:
        before = p.registry(f"{name}-before")
        folder = install_round(p, setup, "default", r"C:\Program Files\Ferrovane", [], before)
        check_run(p, folder)
        after = uninstall_round(p, before, folder, "default", "mine.Taskel")
        if win64:
            # /D= names the folder (last on the command line, unquoted); once
            # is enough. The registry after the first round is the one to
            # come back to.
            folder = install_round(p, setup, "/D=", r"C:\Apps\Ferrovane", [r"/D=C:\Apps\Ferrovane"], after)
            # An update (no /D=) goes into the installed copy's folder and
            # replaces the files in place.
            folder = install_round(p, setup, "update", "", [], after)
            check(not [f for f in os.listdir(folder) if f.endswith(".old")], "update: no old copies left")
            uninstall_round(p, after, folder, "/D=")
    finally:
        subprocess.run(["wineserver", "-k"], env=p.env)
    print(f"   ({name} prefix: {time.monotonic() - started:.0f} s)", flush=True)


def can_start_32bit():
    try:
        return subprocess.run([WINE32, "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0
    except OSError:
        return False


def main():
    os.makedirs(WORK, exist_ok=True)
    check(machine(SETUP) == "pei-i386", f"{os.path.basename(SETUP)} is a 32-bit program (runs on both Windows)")
    if can_start_32bit():
        test_prefix("win64", True, SETUP, WINE32)
        test_prefix("win32", False, SETUP, WINE32)
    else:
        # The setup program is 32-bit; where 32-bit programs cannot start,
        # the same script packed as a 64-bit program stands in for it.
        twin = os.path.join(WORK, "Ferrovane-amd64-setup.exe")
        # (Without -WX: the 32-bit branches are dead code there and warn.)
        rc = subprocess.run(["makensis", "-V1", "-DAMD64", "-DOUTFILE=" + twin, BUILD_NSI]).returncode
        check(rc == 0, "the setup script packed as a 64-bit program")
        print("!! this machine cannot start 32-bit programs: the 64-bit prefix gets the setup script "
              "packed as a 64-bit program, and the install into a 32-bit prefix is skipped", flush=True)
        test_prefix("win64", True, twin, WINE64)
    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
