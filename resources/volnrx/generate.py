#!/usr/bin/env python3
"""Writes the resources of volnrx.exe: its icon, the cursor "PROPERTY" and the speed buttons'
glyphs with the script "glyphs.rc" that names them."""
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


# ---------------------------------------------------------------- speed button glyphs
# Transparent pixels become the key colour; the button takes the bottom-left pixel's colour as
# transparent, so every glyph leaves that corner empty.
KEY = art.MAGENTA


def glyph_bmp(canvas):
    keyed = art.Canvas(canvas.width, canvas.height)
    for y in range(canvas.height):
        for x in range(canvas.width):
            keyed.pixels[y][x] = canvas.pixels[y][x] or KEY
    return art.dib_24(keyed)


def start_flag():
    """Four coloured panes of a waving flag: the Start button."""
    c = art.Canvas(16, 16)
    for (x, y, colour) in ((2, 2, art.RED), (8, 2, art.GREEN), (2, 8, art.BLUE), (8, 8, art.YELLOW)):
        c.rect(x, y, x + 5, y + 5, colour)
    return c


def copy_pages():
    """Two overlapping pages: copy to the clipboard."""
    c = art.Canvas(16, 16)
    for x0, y0 in ((1, 1), (6, 5)):
        c.rect(x0, y0, x0 + 9, y0 + 10, art.WHITE)
        c.frame(x0, y0, x0 + 9, y0 + 10, art.BLACK)
        for y in range(y0 + 3, y0 + 9, 2):
            c.rect(x0 + 2, y, x0 + 7, y + 1, art.NAVY)
    return c


def open_folder():
    c = art.Canvas(16, 16)
    c.rect(1, 4, 13, 14, art.OLIVE)
    c.rect(1, 3, 6, 4, art.OLIVE)
    c.polygon([(3, 7), (15, 7), (12, 14), (1, 14)], art.YELLOW)
    c.frame(1, 3, 14, 15, art.BLACK)
    return c


def icon_choice():
    """A small framed picture: choose an icon."""
    c = art.Canvas(16, 16)
    c.rect(1, 1, 15, 14, art.WHITE)
    c.frame(1, 1, 15, 14, art.BLACK)
    c.rect(3, 3, 13, 12, art.TEAL)
    c.disc(10, 6, 2, art.YELLOW)
    c.polygon([(3, 12), (7, 6), (11, 12)], art.GREEN)
    return c


def log_page():
    """A page of lines with a red mark: the error log."""
    c = art.Canvas(16, 16)
    c.rect(3, 1, 13, 15, art.WHITE)
    c.frame(3, 1, 13, 15, art.BLACK)
    for y in range(4, 13, 2):
        c.rect(5, y, 11, y + 1, art.GREY)
    c.disc(11.5, 11.5, 3, art.RED)
    return c


def cpl(draw):
    c = art.Canvas(32, 32)
    draw(c)
    return c


def cpl_panel(c):  # the control panel: a window of small applets
    c.rect(2, 3, 30, 28, art.SILVER)
    c.frame(2, 3, 30, 28, art.BLACK)
    c.rect(3, 4, 29, 8, art.NAVY)
    for i, colour in enumerate((art.RED, art.GREEN, art.BLUE, art.YELLOW, art.TEAL, art.PURPLE)):
        x, y = 5 + (i % 3) * 8, 11 + (i // 3) * 8
        c.rect(x, y, x + 6, y + 6, colour)


def cpl_display(c):  # a monitor
    c.rect(3, 3, 29, 22, art.SILVER)
    c.frame(3, 3, 29, 22, art.BLACK)
    c.rect(6, 6, 26, 19, art.TEAL)
    c.rect(13, 22, 19, 25, art.GREY)
    c.rect(8, 25, 24, 28, art.SILVER)
    c.frame(8, 25, 24, 28, art.BLACK)


def cpl_passwords(c):  # a key
    c.disc(10, 16, 7, art.YELLOW)
    c.disc(10, 16, 2.5, art.WHITE)
    c.rect(16, 15, 30, 18, art.YELLOW)
    c.rect(24, 18, 26, 22, art.YELLOW)
    c.rect(28, 18, 30, 23, art.YELLOW)


def cpl_system(c):  # a computer box with its screen
    c.rect(4, 4, 20, 18, art.SILVER)
    c.frame(4, 4, 20, 18, art.BLACK)
    c.rect(6, 6, 18, 15, art.BLUE)
    c.rect(2, 20, 30, 28, art.SILVER)
    c.frame(2, 20, 30, 28, art.BLACK)
    c.rect(22, 23, 27, 25, art.GREEN)


def cpl_network(c):  # two computers on a cable
    for x in (2, 18):
        c.rect(x, 4, x + 12, 14, art.SILVER)
        c.frame(x, 4, x + 12, 14, art.BLACK)
        c.rect(x + 2, 6, x + 10, 12, art.TEAL)
        c.rect(x + 5, 14, x + 7, 24, art.BLACK)
    c.rect(4, 24, 28, 26, art.BLACK)


def cpl_printers(c):  # a printer with a sheet
    c.rect(9, 3, 23, 13, art.WHITE)
    c.frame(9, 3, 23, 13, art.BLACK)
    c.rect(3, 12, 29, 24, art.SILVER)
    c.frame(3, 12, 29, 24, art.BLACK)
    c.rect(24, 15, 27, 17, art.GREEN)
    c.rect(8, 21, 24, 29, art.WHITE)
    c.frame(8, 21, 24, 29, art.BLACK)


def cpl_internet(c):  # a globe
    c.disc(16, 16, 12, art.BLUE)
    c.polygon([(9, 9), (16, 7), (18, 13), (12, 18), (8, 15)], art.GREEN)
    c.polygon([(18, 18), (25, 16), (24, 24), (19, 26)], art.GREEN)
    c.disc(16, 16, 12.5, art.NAVY, inner=11.5)


GLYPHS = [("spidbtnStartMenu", "start.bmp", start_flag)] + [
    ("spbtnCplSelect%d" % (i + 1), "cpl%d.bmp" % (i + 1), lambda d=draw: cpl(d))
    for i, draw in enumerate((cpl_panel, cpl_display, cpl_passwords, cpl_system, cpl_network,
                              cpl_printers, cpl_internet))] + [
    ("spbtnCopyTColor", "copy.bmp", copy_pages),
    ("spbtnCopyHtml", "copy.bmp", copy_pages),
    ("spbtnCopyRgb", "copy.bmp", copy_pages),
    ("sbtnOpenFolder", "folder.bmp", open_folder),
    ("sbtnSelectIcon", "icon.bmp", icon_choice),
    ("spbtnErrorFileRun", "log.bmp", log_page),
]


def write_glyphs(out_dir):
    lines = ["// Generated by resources/volnrx/generate.py: the speed buttons' glyphs by button name."]
    for name, file_name, draw in GLYPHS:
        art.write(out_dir, file_name, glyph_bmp(draw()))
        lines.append('%s BITMAP "%s"' % (name.upper(), file_name))
    art.write(out_dir, "glyphs.rc", ("\n".join(lines) + "\n").encode("ascii"))


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    art.write(out_dir, "volnrx.ico", art.ico_file(art.scaled(app_icon)))
    cursor, hotspot = property_cursor()
    art.write(out_dir, "property.cur", art.cur_file(cursor, hotspot))
    write_glyphs(out_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
