#!/usr/bin/env python3
"""Keeps a host folder and the FAT volume of a disk image alike, with mtools, so that the
end-to-end scripts can look at and prepare files of a disk image as they do on a folder.

  disk_sync.py pull IMAGE@@OFFSET FOLDER   the volume's files into FOLDER (made anew), with their
                                           FAT attributes kept as the offline adapter keeps them
  disk_sync.py push IMAGE@@OFFSET FOLDER   what the script changed in FOLDER since the last pull
                                           back into the volume
The state of the last pull is kept in FOLDER.manifest.
"""
import json
import os
import shutil
import subprocess
import sys

ENV = dict(os.environ, LC_ALL="C.UTF-8", MTOOLS_SKIP_CHECK="1")
R, H, S = 1, 2, 4


def mtools(*args):
    return subprocess.run(list(args), check=True, capture_output=True, env=ENV,
                          stdin=subprocess.DEVNULL).stdout.decode("utf-8")


def attributes(path):
    try:
        text = os.getxattr(path, "user.DOSATTRIB").split(b"\0")[0].decode()
        bits = int(text, 16) & (H | S) if text.startswith("0x") else 0
    except OSError:
        bits = 0
    if not os.path.isdir(path) and not os.stat(path).st_mode & 0o222:
        bits |= R
    return bits


def set_attributes(path, bits):
    if not os.path.isdir(path):
        mode = os.stat(path).st_mode
        os.chmod(path, mode & ~0o222 if bits & R else mode | 0o200)
    if bits & (H | S):
        os.setxattr(path, "user.DOSATTRIB", b"0x%x" % (bits & (H | S)))


def scan(folder):
    entries = {}
    for base, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(base, name)
            st = os.lstat(path)
            entries[os.path.relpath(path, folder)] = [os.path.isdir(path), st.st_ino, st.st_size,
                                                      st.st_mtime_ns, attributes(path)]
    return entries


def flags(bits):
    return ["+r" if bits & R else "-r", "+h" if bits & H else "-h", "+s" if bits & S else "-s"]


def pull(target, folder):
    if os.path.exists(folder):
        for base, dirs, files in os.walk(folder):
            for name in dirs + files:
                os.chmod(os.path.join(base, name), 0o755)
        shutil.rmtree(folder)
    os.makedirs(folder)
    mtools("mcopy", "-s", "-m", "-n", "-i", target, "::/*", folder + "/")
    for line in mtools("mattrib", "-i", target, "-/", "::/").splitlines():
        at = line.find("::/")
        if at < 0 or at + 3 >= len(line):
            continue
        head = line[:at]
        bits = (R if "R" in head else 0) | (H if "H" in head else 0) | (S if "S" in head else 0)
        if bits:
            set_attributes(os.path.join(folder, line[at + 3:]), bits)
    with open(folder + ".manifest", "w") as out:
        json.dump(scan(folder), out)


def push(target, folder):
    with open(folder + ".manifest") as f:
        before = json.load(f)
    now = scan(folder)
    for path in sorted(now):
        entry, old = now[path], before.get(path)
        image = "::/" + path
        if entry[0]:
            if old is None and subprocess.run(["mdir", "-i", target, image], env=ENV,
                                              capture_output=True).returncode != 0:
                mtools("mmd", "-i", target, image)  # unless it is another's short name
            continue
        if old is None or old[1:4] != entry[1:4]:
            if old is not None and old[4] & R:
                mtools("mattrib", "-i", target, "-r", image)
            mtools("mcopy", "-o", "-m", "-i", target, os.path.join(folder, path), image)
        if old is None or old[4] != entry[4] or old[1:4] != entry[1:4]:
            mtools("mattrib", "-i", target, *flags(entry[4]), image)
    for path in sorted(set(before) - set(now), reverse=True):
        if before[path][4] & R:
            mtools("mattrib", "-i", target, "-r", "::/" + path)
        mtools("mrd" if before[path][0] else "mdel", "-i", target, "::/" + path)


if __name__ == "__main__":
    {"pull": pull, "push": push}[sys.argv[1]](sys.argv[2], sys.argv[3])
