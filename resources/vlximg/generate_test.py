#!/usr/bin/env python3
"""Checks of generate.py: driver files taken from the packager, stand-ins otherwise."""
import os
import subprocess
import sys
import tempfile
import unittest

GENERATOR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "generate.py")
MARKER = b"VOLNERIX-STAND-IN-DRIVER"


def run(out_dir, *args):
    return subprocess.run([sys.executable, GENERATOR, out_dir, *args],
                          capture_output=True, text=True)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Generator(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def driver(self, name, size):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(b"MZ" + bytes((i * 7) % 251 for i in range(size - 2)))
        return path

    def test_stand_ins_are_marked_and_sized(self):
        out = os.path.join(self.dir, "out")
        self.assertEqual(run(out).returncode, 0)
        sizes = {}
        for name in ("cdfs", "normalcdfs", "vfat"):
            data = read(os.path.join(out, name + ".vxd"))
            self.assertIn(MARKER, data[:64], name)
            self.assertNotEqual(data[:2], b"MZ", name)
            sizes[name] = len(data)
        self.assertEqual(sizes["cdfs"], 79098)
        self.assertNotEqual(sizes["normalcdfs"], 79098)

    def test_real_driver_files_replace_the_stand_ins(self):
        cdfs, normal, vfat = (self.driver("c", 79098), self.driver("n", 62000),
                              self.driver("v", 70000))
        out = os.path.join(self.dir, "out")
        result = run(out, "--cdfs", cdfs, "--normalcdfs", normal, "--vfat", vfat)
        self.assertEqual(result.returncode, 0, result.stderr)
        for given, name in ((cdfs, "cdfs"), (normal, "normalcdfs"), (vfat, "vfat")):
            self.assertEqual(read(os.path.join(out, name + ".vxd")), read(given), name)

    def test_wrong_driver_files_are_refused(self):
        cases = [
            ("--cdfs", self.driver("short", 79097), "79098"),
            ("--normalcdfs", self.driver("same", 79098), "must not be"),
        ]
        stand_in = os.path.join(self.dir, "stand-in")
        with open(stand_in, "wb") as f:
            f.write(MARKER + bytes(79098 - len(MARKER)))
        cases.append(("--cdfs", stand_in, "stand-in"))
        for option, path, message in cases:
            result = run(os.path.join(self.dir, "out"), option, path)
            self.assertNotEqual(result.returncode, 0, option)
            self.assertIn(message, result.stderr, option)


if __name__ == "__main__":
    unittest.main()
