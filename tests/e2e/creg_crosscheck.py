#!/usr/bin/env python3
"""Reads a 9x drive's hives with an independent reader (cregexport of libcreg-utils) and compares
every key, value name, type and data with what `volnrx-cli --win9x DRIVE reg query ROOT /s`
shows. Prints the differences and exits 1 when there are any.

usage: creg_crosscheck.py VOLNRX-CLI DRIVE
"""
import re
import subprocess
import sys
from pathlib import Path

ROOTS = {"SYSTEM.DAT": "HKEY_LOCAL_MACHINE", "USER.DAT": "HKEY_CURRENT_USER",
         "CLASSES.DAT": "HKEY_CLASSES_ROOT"}  # the last on Windows ME only
TYPES = {"REG_DWORD_LITTLE_ENDIAN": "REG_DWORD"}


def find(folder, name):
    """The entry of `folder` named `name` without regard to case."""
    for entry in folder.iterdir():
        if entry.name.lower() == name.lower():
            return entry
    return None


def data_text(kind, data):
    """The data as reg query renders it (see src/cli/reg_command.cpp)."""
    if kind in ("REG_SZ", "REG_EXPAND_SZ"):
        return data.split(b"\0")[0].decode("cp1251")
    if kind in ("REG_DWORD", "REG_DWORD_BIG_ENDIAN") and len(data) == 4:
        return hex(int.from_bytes(data, "little"))
    if kind == "REG_MULTI_SZ":
        parts = []
        for part in data.split(b"\0"):
            if not part:
                break
            parts.append(part.decode("cp1251"))
        return "\\0".join(parts)
    return data.hex().upper()


def cregexport(hive, root):
    """{key path: {value name: (type, text)}} as cregexport reads the file."""
    out = subprocess.run(["cregexport", "-c", "windows-1251", str(hive)], check=True,
                         capture_output=True).stdout.decode("utf-8")
    keys, key, value = {}, None, None

    def close_value():
        if value is not None:
            name, kind, dump, number = value
            data = bytes(dump) if dump or number is None else int(number).to_bytes(4, "little")
            keys[key][name] = (kind, data_text(kind, data))

    for line in out.splitlines():
        if line.startswith("Key path: "):
            close_value()
            value = None
            path = line[len("Key path: "):]
            key = root + ("\\" + path if path else "")
            keys[key] = {}
        elif line.startswith("Value: "):
            close_value()
            name = line.split(" ", 2)[2] if line.count(" ") >= 2 else ""
            value = ["" if name == "(default)" else name, None, [], None]
        elif value is not None and line.startswith("Type: "):
            kind = re.search(r"\((REG_[A-Z_]+)\)", line)
            kind = kind.group(1) if kind else line[len("Type: "):]
            value[1] = TYPES.get(kind, kind)
        elif value is not None and re.match(r"^[0-9a-f]{8}: ", line):
            value[2].extend(int(h, 16) for h in line[10:59].split())
        elif value is not None and line.startswith("Data: ") and value[1] == "REG_DWORD":
            value[3] = line[len("Data: "):]
    close_value()
    return keys


def reg_query(cli, drive, root):
    """The same from volnrx-cli's reg query /s."""
    out = subprocess.run([cli, "--win9x", str(drive), "reg", "query", root, "/s"], check=True,
                         capture_output=True).stdout.decode("utf-8")
    keys, key = {}, None
    for line in out.splitlines():
        if line.startswith("HKEY_"):
            key = line
            keys[key] = {}
        elif line.startswith("    ") and key is not None:
            parts = line[4:].split("    ", 2)
            name = "" if parts[0] == "(Default)" else parts[0]
            keys[key][name] = (parts[1], parts[2] if len(parts) > 2 else "")
    return keys


def main():
    cli, drive = sys.argv[1], Path(sys.argv[2])
    windows = find(drive, "WINDOWS")
    problems = []
    for hive_name, root in ROOTS.items():
        hive = find(windows, hive_name) if windows else None
        if hive is None:
            if hive_name != "CLASSES.DAT":
                problems.append(f"{hive_name} is missing")
            continue
        theirs, ours = cregexport(hive, root), reg_query(cli, drive, root)
        if not theirs.get(root):  # reg query /s shows no root without values
            ours.setdefault(root, {})
        for key in sorted(set(theirs) | set(ours)):
            if key not in ours:
                problems.append(f"{key}: only cregexport shows it")
            elif key not in theirs:
                problems.append(f"{key}: only reg query shows it")
            elif theirs[key] != ours[key]:
                for name in sorted(set(theirs[key]) | set(ours[key])):
                    a, b = theirs[key].get(name), ours[key].get(name)
                    if a != b:
                        problems.append(f"{key} [{name}]: cregexport {a}, reg query {b}")
    for problem in problems:
        print("cross-check:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
