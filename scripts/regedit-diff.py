#!/usr/bin/env python3
"""Reads registry files with Kavendel's reader and with Wine's regedit, and reports every file
on which they disagree. Outside CI only: it needs wine64 (Debian) and a built registry_dump.

  scripts/regedit-diff.py [--dump build/tests/registry_dump] [--verbose] FILE_OR_DIR...

Each file is imported into its own key: the hive names of its section lines are moved under
HKEY_CURRENT_USER\\KavendelDiff\\<n>, and both readers get the same moved text. A throwaway
WINEPREFIX under /tmp uses the Japanese ANSI code page (932), as the files do.

Where Wine reads a file differently from Windows 98, Kavendel keeps what a Windows 98 export
needs; such files are counted apart, with the difference named:
  escape     a quoted string with "\\" before anything but "\\" or '"': Wine undoes \\n and \\r and
             drops other backslashes, Windows 98 keeps them
  nul        hex(1), hex(2) or hex(7) data without a final NUL: Wine adds one, Windows 98 keeps
             the bytes as they are
  cp932      bytes that are no CP932 text: Wine converts each line to Unicode first
  stops      a deletion of an unknown root or of a hive itself: Wine stops the whole import there
  depth      a key more than 512 levels deep: Windows refuses it, Wine makes it
  refused    a file Kavendel refuses as a whole (NUL bytes: binary or UTF-16 text)
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HIVES = {
    "HKEY_LOCAL_MACHINE": "LM",
    "HKEY_CURRENT_USER": "CU",
    "HKEY_USERS": "U",
    "HKEY_CLASSES_ROOT": "CR",
    "HKEY_CURRENT_CONFIG": "CC",
    "HKEY_DYN_DATA": "DD",
}
BASE = "HKEY_CURRENT_USER\\KavendelDiff"
STRING_TYPES = (1, 2, 7)
WINE = shutil.which("wine64") or "/usr/lib/wine/wine64"


def wine_env(prefix):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, WINEDEBUG="-all", LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    return env


def move_hives(data, number):
    """The file with the hive of every section line moved under BASE\\number."""
    parts = re.split(rb"(\r\n|\r|\n)", data)
    target = f"{BASE}\\{number}\\".encode()
    for i in range(0, len(parts), 2):
        line = parts[i]
        stripped = line.lstrip(b" \t")
        if i == 0 or not stripped.startswith(b"["):
            continue
        start = len(line) - len(stripped) + 1
        if line[start:start + 1] == b"-":
            start += 1
        for hive, short in HIVES.items():
            name = line[start:start + len(hive)]
            after = line[start + len(hive):start + len(hive) + 1]
            if name.upper() == hive.encode() and after in (b"\\", b"]"):
                parts[i] = line[:start] + target + short.encode() + line[start + len(hive):]
                break
    return b"".join(parts)


def read_ours(dump, path):
    run = subprocess.run([dump, path], capture_output=True)
    if run.returncode == 3:
        return None
    if run.returncode != 0:
        raise RuntimeError(f"{dump} failed on {path}: {run.stderr.decode(errors='replace')}")
    tree = {}
    for line in run.stdout.decode().splitlines():
        fields = line.split(" ")
        unhex = lambda s: b"" if s == "-" else bytes.fromhex(s)
        key = unhex(fields[1]).decode("cp932", errors="replace")
        node = tree.setdefault(key, {})
        if fields[0] == "V":
            name = unhex(fields[2]).decode("cp932", errors="replace")
            node[name] = normalise(int(fields[3]), unhex(fields[4]), "cp932")
    return tree


def normalise(kind, data, encoding):
    """A value as Wine holds it: string kinds as Unicode text."""
    if kind in STRING_TYPES:
        return (kind, data.decode(encoding, errors="replace"))
    return (kind, data)


def unescape_exported(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "r": "\r", "0": "\0"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def parse_export_value(rest):
    """The data of one exported value (continuation lines already joined)."""
    if rest.startswith('"'):
        return (1, unescape_exported(rest[1:-1]) + "\0")
    if rest.startswith("dword:"):
        return (4, int(rest[6:], 16).to_bytes(4, "little"))
    match = re.match(r"hex(?:\(([0-9a-fA-F]+)\))?:(.*)", rest)
    kind = int(match.group(1), 16) if match.group(1) else 3
    data = bytes(int(b, 16) for b in match.group(2).replace(" ", "").split(",") if b)
    if kind in STRING_TYPES:
        return (kind, data.decode("utf-16-le", errors="replace"))
    return (kind, data)


def read_export(path):
    """Wine's export (UTF-16, version 5) as {key: {name: (type, data)}}."""
    text = open(path, "rb").read().decode("utf-16")
    text = re.sub(r"\\\r?\n\s*", "", text)
    tree, node = {}, None
    for line in text.splitlines():
        if line.startswith("["):
            node = tree.setdefault(line[1:-1], {})
        elif line.startswith("@=") or line.startswith('"'):
            if line.startswith("@="):
                name, rest = "", line[2:]
            else:
                match = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)', line)
                name, rest = unescape_exported(match.group(1)), match.group(2)
            node[name] = parse_export_value(rest)
    return tree


def subtree(tree, number):
    prefix = f"{BASE}\\{number}\\"
    return {k[len(prefix):]: v for k, v in tree.items() if k.upper().startswith(prefix.upper())}


def known_difference(data):
    """Why Wine may read this file differently from Windows 98, or None."""
    if b"\0" in data:
        return "refused"
    try:
        data.decode("cp932")
    except UnicodeDecodeError:
        return "cp932"
    for line in re.split(rb"\r\n|\r|\n", data):
        stripped = line.lstrip(b" \t")
        if stripped[:1] in (b'"', b"@") and re.search(rb'\\[^\\"]', line.replace(b"\\\\", b"")):
            return "escape"
        if stripped.startswith(b"[-") and not re.match(
                rb"\[-(%s)\\[^\\\]]" % b"|".join(h.encode() for h in HIVES), stripped, re.I):
            return "stops"
        if stripped.startswith(b"[") and stripped.count(b"\\") > 512:
            return "depth"
        if re.search(rb"=\s*hex\((0*[127])\):", line):
            return "nul"
    return None


def describe(ours, theirs):
    lines = []
    for key in sorted(set(ours) | set(theirs)):
        a, b = ours.get(key), theirs.get(key)
        if a is None or b is None:
            lines.append(f"  key {key!r}: {'only Kavendel' if b is None else 'only Wine'}")
            continue
        for name in sorted(set(a) | set(b)):
            if a.get(name) != b.get(name):
                lines.append(f"  {key!r} {name!r}: Kavendel {a.get(name)!r}, Wine {b.get(name)!r}")
    return lines


def collect(paths):
    files = []
    for path in paths:
        if os.path.isdir(path):
            files += sorted(os.path.join(path, f) for f in os.listdir(path))
        else:
            files.append(path)
    return [f for f in files if os.path.isfile(f)]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--dump", default="build/tests/registry_dump")
    parser.add_argument("--verbose", action="store_true", help="also list the known differences")
    parser.add_argument("paths", nargs="+")
    args = parser.parse_args()
    files = collect(args.paths)
    work = tempfile.mkdtemp(prefix="kavendel-regedit-diff-")
    env = wine_env(os.path.join(work, "prefix"))
    try:
        subprocess.run([WINE, "wineboot", "-i"], env=env, capture_output=True, check=True)
        moved = []
        for number, path in enumerate(files):
            original = open(path, "rb").read()
            target = os.path.join(work, f"{number}.reg")
            open(target, "wb").write(move_hives(original, number))
            moved.append((path, original, target))
            subprocess.run([WINE, "regedit", "/S", target], env=env, capture_output=True, timeout=60)
        export = os.path.join(work, "export.reg")
        subprocess.run([WINE, "regedit", "/E", export, BASE], env=env, capture_output=True, timeout=300)
        wine_tree = read_export(export) if os.path.exists(export) else {}
        counts = {"agree": 0, "differ": 0}
        known = {}
        for number, (path, original, target) in enumerate(moved):
            ours = read_ours(args.dump, target)
            theirs = subtree(wine_tree, number)
            ours = {} if ours is None else subtree(ours, number)
            if ours == theirs:
                counts["agree"] += 1
                continue
            reason = known_difference(original)
            if reason:
                known[reason] = known.get(reason, 0) + 1
                if not args.verbose:
                    continue
                print(f"{path}: known difference ({reason})")
            else:
                counts["differ"] += 1
                print(f"{path}: Kavendel and Wine disagree")
            for line in describe(ours, theirs)[:8]:
                print(line)
        total = len(moved)
        print(f"{counts['agree']}/{total} files read the same; "
              f"{sum(known.values())} differ only where Wine and Windows 98 are known to differ "
              f"({', '.join(f'{k} {v}' for k, v in sorted(known.items())) or 'none'}); "
              f"{counts['differ']} disagree")
        return 1 if counts["differ"] else 0
    finally:
        subprocess.run([shutil.which("wineserver") or "/usr/lib/wine/wineserver", "-k"], env=env,
                       capture_output=True)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
