#!/usr/bin/env python3
"""Writes the resources of volnrx.exe: its icon, the cursor "PROPERTY" and the .rc script."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "vlximg"))
import generate as art  # noqa: E402  (the image library's drawing and file-format helpers)


def app_icon(c, s):
    """A blue window with a slider and a check mark: settings at hand (drawn for 32x32)."""
    def box(x0, y0, x1, y1, colour):
        c.rect(int(x0 * s), int(y0 * s), max(int(x1 * s), int(x0 * s) + 1),
               max(int(y1 * s), int(y0 * s) + 1), colour)

    box(1, 3, 31, 29, art.NAVY)
    box(2, 4, 30, 8, art.BLUE)
    box(2, 8, 30, 28, art.WHITE)
    box(5, 13, 27, 15, art.GREY)
    box(15, 11, 19, 17, art.RED)
    for i in range(4):
        box(6 + 2 * i, 20 + 2 * i, 8 + 2 * i, 22 + 2 * i, art.GREEN)
    for i in range(6):
        box(12 + 2 * i, 25 - 2 * i, 14 + 2 * i, 27 - 2 * i, art.GREEN)


def property_cursor():
    """An arrow with a small page: the pointer over the File Killer's file pictures."""
    c = art.Canvas(32, 32)
    for y in range(16):
        for x in range(y // 2 + 1):
            c.put(x, y, art.WHITE)
        c.put(0, y, art.BLACK)
        c.put(y // 2 + 1 if y // 2 + 1 < 32 else 31, y, art.BLACK)
    for x in range(9):
        c.put(x, 16, art.BLACK)
    c.rect(14, 14, 26, 29, art.BLACK)
    c.rect(15, 15, 25, 28, art.WHITE)
    for y in (18, 21, 24):
        c.rect(17, y, 23, y + 1, art.BLACK)
    return c, (0, 0)


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    art.write(out_dir, "volnrx.ico", art.ico_file(art.scaled(app_icon)))
    cursor, hotspot = property_cursor()
    art.write(out_dir, "property.cur", art.cur_file(cursor, hotspot))
    return 0


if __name__ == "__main__":
    sys.exit(main())
