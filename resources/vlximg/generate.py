#!/usr/bin/env python3
"""Writes the assets of vlximg.dll and its resource script into an output folder.

    generate.py OUT_DIR [--cdfs FILE] [--normalcdfs FILE] [--vfat FILE]

Everything is drawn or written here; nothing is downloaded. Without --cdfs/--normalcdfs/--vfat
the driver resources are marked stand-ins that are plainly no drivers.
"""
import argparse
import os
import struct
import sys

# Code that refuses to install a stand-in looks for this text (IsStandInDriver).
STAND_IN_MARKER = b"VOLNERIX-STAND-IN-DRIVER"
REPLACEMENT_CDFS_SIZE = 79098
STAND_IN_SIZES = {"cdfs": REPLACEMENT_CDFS_SIZE, "normalcdfs": 61530, "vfat": 73240}


# ---------------------------------------------------------------- raster drawing

class Canvas:
    """An RGB picture with an optional transparency mask, drawn pixel by pixel."""

    def __init__(self, width, height, fill=None):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]  # None = transparent

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.pixels[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.bevel(x0, y0, x1, y1, colour, colour)

    def bevel(self, x0, y0, x1, y1, light, dark):
        for x in range(x0, x1):
            self.put(x, y0, light)
            self.put(x, y1 - 1, dark)
        for y in range(y0, y1):
            self.put(x0, y, light)
            self.put(x1 - 1, y, dark)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i / steps
            y = y0 + (y1 - y0) * i / steps
            for dy in range(width):
                for dx in range(width):
                    self.put(int(round(x)) + dx - width // 2, int(round(y)) + dy - width // 2, colour)

    def disc(self, cx, cy, r, colour, inner=-1.0):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                d2 = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
                if inner * inner <= d2 <= r * r or (inner < 0 and d2 <= r * r):
                    self.put(x, y, colour)

    def polygon(self, points, colour):
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            for (xa, ya), (xb, yb) in zip(points, points[1:] + points[:1]):
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(int(round(a)), int(round(b))):
                    self.put(x, y, colour)

    def text(self, x, y, s, colour, scale=1):
        for ch in s:
            rows = FONT.get(ch.upper(), FONT[" "])
            for ry, row in enumerate(rows):
                for rx, bit in enumerate(row):
                    if bit == "#":
                        self.rect(x + rx * scale, y + ry * scale,
                                  x + (rx + 1) * scale, y + (ry + 1) * scale, colour)
            x += 6 * scale


FONT = {
    " ": ["....."] * 7,
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    ".": [".....", ".....", ".....", ".....", ".....", ".##..", ".##.."],
}

BLACK, WHITE = (0, 0, 0), (255, 255, 255)
SILVER, GREY, DARK = (192, 192, 192), (128, 128, 128), (64, 64, 64)
NAVY, BLUE, TEAL = (0, 0, 128), (0, 0, 255), (0, 128, 128)
RED, MAROON, GREEN, OLIVE = (255, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0)
YELLOW, CYAN, LIME, MAGENTA = (255, 255, 0), (0, 255, 255), (0, 255, 0), (255, 0, 255)
PURPLE = (128, 0, 128)

# The 16 colours of the VGA palette, in the order Windows uses for 4-bit pictures.
VGA = [BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
       GREY, RED, LIME, YELLOW, BLUE, MAGENTA, CYAN, WHITE]


# ---------------------------------------------------------------- file formats

def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def dib_24(canvas):
    """A 24-bit bottom-up DIB with a BITMAPFILEHEADER, i.e. a .bmp file."""
    stride = row_bytes(canvas.width, 24)
    body = bytearray()
    for y in reversed(range(canvas.height)):
        row = bytearray()
        for colour in canvas.pixels[y]:
            r, g, b = colour or BLACK
            row += bytes((b, g, r))
        body += row + bytes(stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(body),
                       2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return header + info + bytes(body)


def icon_image_4bit(canvas):
    """The icon image of one size: header (double height), VGA palette, XOR bits, AND mask."""
    w, h = canvas.width, canvas.height
    xor_stride, and_stride = row_bytes(w, 4), row_bytes(w, 1)
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(h)):
        nibbles, bits = [], []
        for colour in canvas.pixels[y]:
            nibbles.append(0 if colour is None else VGA.index(colour))
            bits.append(1 if colour is None else 0)
        row = bytearray(nibbles[i] << 4 | (nibbles[i + 1] if i + 1 < w else 0)
                        for i in range(0, w, 2))
        xor += row + bytes(xor_stride - len(row))
        mrow = bytearray((w + 7) // 8)
        for x, bit in enumerate(bits):
            mrow[x // 8] |= bit << (7 - x % 8)
        mask += mrow + bytes(and_stride - len(mrow))
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA)
    return info + palette + bytes(xor) + bytes(mask)


def ico_file(canvases):
    images = [icon_image_4bit(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.width % 256, c.height % 256, 16, 0, 1, 4, len(image),
                           offset)
        offset += len(image)
    return out + b"".join(images)


def cur_file(canvas, hotspot):
    """A monochrome cursor: black, white and transparent pixels."""
    w, h = canvas.width, canvas.height
    stride = row_bytes(w, 1)
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(h)):
        xrow, mrow = bytearray(stride), bytearray(stride)
        for x, colour in enumerate(canvas.pixels[y]):
            if colour is None:
                mrow[x // 8] |= 0x80 >> (x % 8)
            elif colour == WHITE:
                xrow[x // 8] |= 0x80 >> (x % 8)
        xor += xrow
        mask += mrow
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    image = info + bytes((0, 0, 0, 0, 255, 255, 255, 0)) + bytes(xor) + bytes(mask)
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", w, h, 0, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return header + entry + image


# ---------------------------------------------------------------- pictures

def about_picture():
    """Pale, so the About page's black labels over its upper two thirds stay readable; the
    dial and the name sit in the lower part, below the labels."""
    w, h = 295, 326
    c = Canvas(w, h)
    for y in range(h):
        t = y / (h - 1)
        colour = (int(246 - 56 * t), int(249 - 34 * t), int(253 - 12 * t))
        c.rect(0, y, w, y + 1, colour)
    cx, cy = 56, 280
    for r, colour in ((37, (120, 160, 215)), (32, (150, 190, 230)), (24, (180, 212, 240)),
                      (16, (210, 230, 250))):
        c.disc(cx, cy, r, colour)
    # A stylised tuning dial: ticks around the disc and a needle.
    import math
    for i in range(24):
        a = math.pi * 2 * i / 24
        c.line(int(cx + 40 * math.cos(a)), int(cy + 40 * math.sin(a)),
               int(cx + 44 * math.cos(a)), int(cy + 44 * math.sin(a)), (40, 80, 150), 1)
    c.line(cx, cy, int(cx + 27 * math.cos(-0.9)), int(cy + 27 * math.sin(-0.9)), (200, 120, 0), 3)
    c.disc(cx, cy, 4, (200, 120, 0))
    title = "VOLNERIX"
    tx = 116 + (w - 116 - len(title) * 18) // 2
    c.text(tx + 1, 257, title, (170, 190, 220), 3)
    c.text(tx, 256, title, (16, 40, 110), 3)
    version = "V1.2"
    c.text(116 + (w - 116 - len(version) * 12) // 2, 290, version, (40, 80, 150), 2)
    c.frame(0, 0, w, h, (60, 90, 150))
    return c


STARTMENU_ROWS = 6        # items above the separator
STARTMENU_LOWER_ROWS = 2  # log off and shut down, below it
STARTMENU_ROW_HEIGHT = 25


def startmenu_picture():
    """A Start menu drawn the classic way: silver panel, a blue banner on the left, six rows, a
    separator and two rows (where the page's eight check boxes lie, right of each row's icon), and
    the Start button below."""
    w = 240
    lower = 8 + STARTMENU_ROWS * STARTMENU_ROW_HEIGHT + 8
    menu_h = lower + STARTMENU_LOWER_ROWS * STARTMENU_ROW_HEIGHT + 4
    h = menu_h + 30
    c = Canvas(w, h, TEAL)
    c.rect(0, 0, w, menu_h, SILVER)
    c.bevel(0, 0, w, menu_h, WHITE, DARK)
    c.bevel(1, 1, w - 1, menu_h - 1, SILVER, GREY)
    for y in range(3, menu_h - 3):
        t = y / menu_h
        c.rect(3, y, 24, y + 1, (0, 0, int(128 + 100 * t)))
    rows = [8 + i * STARTMENU_ROW_HEIGHT for i in range(STARTMENU_ROWS)]
    rows += [lower + i * STARTMENU_ROW_HEIGHT for i in range(STARTMENU_LOWER_ROWS)]
    colours = (NAVY, TEAL, OLIVE, PURPLE, GREEN, BLUE, GREY, RED)
    for y, colour in zip(rows, colours):
        # A small icon per row; the row's text area stays plain silver for the check box.
        c.rect(30, y + 4, 46, y + 20, colour)
        c.bevel(30, y + 4, 46, y + 20, WHITE, BLACK)
    sep = lower - 5
    c.rect(28, sep, w - 4, sep + 1, GREY)
    c.rect(28, sep + 1, w - 4, sep + 2, WHITE)
    # Taskbar with the Start button.
    c.rect(0, menu_h + 2, w, h, SILVER)
    c.rect(0, menu_h + 2, w, menu_h + 3, WHITE)
    c.rect(3, menu_h + 6, 60, h - 3, SILVER)
    c.bevel(3, menu_h + 6, 60, h - 3, BLACK, WHITE)
    for i, colour in enumerate((RED, LIME, BLUE, YELLOW)):
        c.rect(8 + (i % 2) * 6, menu_h + 9 + (i // 2) * 6, 13 + (i % 2) * 6,
               menu_h + 14 + (i // 2) * 6, colour)
    return c


def selectcolor_cursor():
    """A cross-hair: black lines with a white edge, open in the middle, a dot at the hotspot."""
    c = Canvas(32, 32)
    mid = 15
    arms = [(mid + d, mid) for d in range(3, 16)] + [(mid - d, mid) for d in range(3, 16)]
    arms += [(x, y) for y, x in arms]
    for x, y in arms:
        c.rect(x - 1, y - 1, x + 2, y + 2, WHITE)
    c.rect(mid - 1, mid - 1, mid + 2, mid + 2, WHITE)
    for x, y in arms + [(mid, mid)]:
        c.put(x, y, BLACK)
    return c, (mid, mid)


def scaled(draw):
    """Draws one icon design at 32x32 and at 16x16 (coordinates are given for 32x32)."""
    out = []
    for size in (32, 16):
        c = Canvas(size, size)
        draw(c, size / 32.0)
        out.append(c)
    return out


def S(points, s):
    return [(x * s, y * s) for x, y in points]


def icon_repair(c, s):  # 0: a wrench over a gear
    c.disc(16 * s, 16 * s, 13 * s, GREY)
    c.disc(16 * s, 16 * s, 11 * s, SILVER)
    c.disc(16 * s, 16 * s, 5 * s, None if s > 0.6 else GREY)
    c.polygon(S([(6, 24), (20, 10), (24, 14), (10, 28)], s), NAVY)
    c.disc(23 * s, 9 * s, 6 * s, NAVY)
    c.disc(25 * s, 7 * s, 3 * s, SILVER)
    c.disc(8 * s, 26 * s, 3 * s, BLUE)


def icon_uninstall(c, s):  # 1: a program box with a red cross
    c.rect(int(3 * s), int(8 * s), int(24 * s), int(29 * s), OLIVE)
    c.polygon(S([(3, 8), (9, 3), (30, 3), (24, 8)], s), YELLOW)
    c.polygon(S([(24, 8), (30, 3), (30, 24), (24, 29)], s), MAROON)
    c.frame(int(3 * s), int(8 * s), int(24 * s), int(29 * s), BLACK)
    c.line(int(14 * s), int(14 * s), int(29 * s), int(29 * s), RED, max(1, int(4 * s)))
    c.line(int(29 * s), int(14 * s), int(14 * s), int(29 * s), RED, max(1, int(4 * s)))


def icon_folder(c, s):  # 2: a folder
    c.polygon(S([(2, 8), (12, 8), (15, 11), (30, 11), (30, 27), (2, 27)], s), OLIVE)
    c.polygon(S([(2, 13), (30, 13), (30, 27), (2, 27)], s), YELLOW)
    c.frame(int(2 * s), int(8 * s), int(31 * s), int(28 * s), BLACK)


def icon_process(c, s):  # 3: a window with a gear
    c.rect(int(2 * s), int(4 * s), int(30 * s), int(28 * s), WHITE)
    c.rect(int(2 * s), int(4 * s), int(30 * s), int(9 * s), NAVY)
    c.frame(int(2 * s), int(4 * s), int(30 * s), int(28 * s), BLACK)
    c.disc(16 * s, 18 * s, 7 * s, GREY)
    c.disc(16 * s, 18 * s, 3 * s, WHITE)


def icon_filekill(c, s):  # 4: a waste bin
    c.polygon(S([(7, 8), (25, 8), (23, 30), (9, 30)], s), SILVER)
    c.rect(int(5 * s), int(5 * s), int(27 * s), int(8 * s), GREY)
    c.rect(int(13 * s), int(2 * s), int(19 * s), int(5 * s), GREY)
    for x in (12, 16, 20):
        c.line(int(x * s), int(11 * s), int(x * s), int(27 * s), GREY)


def icon_info(c, s):  # 5: "i" in a blue disc
    c.disc(16 * s, 16 * s, 14 * s, BLUE)
    c.disc(16 * s, 9 * s, 2.5 * s, WHITE)
    c.rect(int(14 * s), int(13 * s), int(18 * s), int(25 * s), WHITE)


def icon_colour(c, s):  # 6: a palette of colours
    c.disc(16 * s, 16 * s, 14 * s, SILVER)
    for (x, y), colour in zip(((10, 10), (18, 8), (24, 14), (9, 19), (22, 22)),
                              (RED, YELLOW, LIME, BLUE, MAGENTA)):
        c.disc(x * s, y * s, 3.5 * s, colour)
    c.disc(15 * s, 25 * s, 3 * s, None)


def icon_shortcut_arrow(c, s):  # 7: the small shortcut arrow, bottom left, rest transparent
    size = 10 if s > 0.6 else 7
    top = c.height - size
    c.rect(0, top, size, c.height, WHITE)
    c.frame(0, top, size, c.height, BLACK)
    a = size - 3
    c.line(2, top + a, a, top + 2, BLACK)
    c.line(a - 2, top + 2, a, top + 2, BLACK)
    c.line(a, top + 2, a, top + 4, BLACK)


def icon_none(c, s):  # 8: fully transparent
    pass


ICONS = [icon_repair, icon_uninstall, icon_folder, icon_process, icon_filekill, icon_info,
         icon_colour, icon_shortcut_arrow, icon_none]


# ---------------------------------------------------------------- folder views

CRLF = "\r\n"

FOLDER_HTT = """<html>
<!-- Web view of a system folder: a warning first, the file list after "%(show)s". -->
<head>
<meta http-equiv="content-type" content="text/html; charset=windows-1251">
<style>
  body {font: 8pt Tahoma, sans-serif; margin: 0; background: window; color: windowtext}
  #Panel {position: absolute; left: 0; top: 0; width: 200px; height: 100%%; padding: 10px;
          background: #d6dff7}
  #Title {font: bold 12pt Tahoma, sans-serif}
  #Warning {margin-top: 12px}
  #Show {color: #0000ff; cursor: hand; text-decoration: underline}
  #FileList {position: absolute; left: 220px; top: 0; width: 0; height: 0; visibility: hidden}
  #Info {position: absolute; left: 220px; top: 10px}
</style>
<script language="JavaScript">
  function ShowFiles() {
    Info.style.display = "none";
    FileList.style.width = document.body.clientWidth - 220;
    FileList.style.height = document.body.clientHeight;
    FileList.style.visibility = "visible";
  }
  function Resize() {
    if (FileList.style.visibility == "visible") {
      FileList.style.width = document.body.clientWidth - 220;
      FileList.style.height = document.body.clientHeight;
    }
  }
</script>
</head>
<body scroll="no" onresize="Resize()">
<div id="Panel">
  <div id="Title">%%THISDIRNAME%%</div>
  <div id="Warning">%(warning)s</div>
</div>
<div id="Info">
  <p>%(advice)s</p>
  <p><span id="Show" onclick="ShowFiles()">%(show)s</span></p>
</div>
<object id="FileList" classid="clsid:1820FED0-473E-11D0-A96C-00C04FD705A2" tabindex="1">
</object>
</body>
</html>
"""

WEB_VIEW_CLSID = "{5984FFE0-28D4-11CF-AE66-08002B2E1262}"
RECYCLE_BIN_CLSID = "{645FF040-5081-101B-9F08-00AA002F954E}"
FONTS_CLSID = "{BD84B380-8CA2-1069-AB1D-08000948F534}"


def ini(lines):
    return (CRLF.join(lines) + CRLF).encode("cp1251")


def folder_htt(warning, advice):
    text = FOLDER_HTT % {"warning": warning, "advice": advice, "show": "Показать файлы"}
    return text.replace("\n", CRLF).encode("cp1251")


def web_view_desktop_ini():
    return ini(["[ExtShellFolderViews]",
                "Default=" + WEB_VIEW_CLSID,
                WEB_VIEW_CLSID + "=" + WEB_VIEW_CLSID,
                "",
                "[" + WEB_VIEW_CLSID + "]",
                "PersistMoniker=file://folder.htt",
                "",
                "[.ShellClassInfo]",
                "ConfirmFileOp=0"])


def folder_styles():
    advice = ("Изменение содержимого этой папки может нарушить работу программ "
              "или всей системы.")
    return {
        "folderwin": folder_htt("Эта папка содержит файлы, необходимые для работы Windows.",
                                advice),
        "desktopwin": web_view_desktop_ini(),
        "foldersys": folder_htt("Эта папка содержит системные файлы Windows: драйверы и "
                                "библиотеки.", advice),
        "desktopsys": web_view_desktop_ini(),
        "desktoprecycled": ini(["[.ShellClassInfo]", "CLSID=" + RECYCLE_BIN_CLSID]),
        "desktopfonts": ini(["[.ShellClassInfo]", "CLSID=" + FONTS_CLSID]),
    }


# ---------------------------------------------------------------- driver stand-ins

def stand_in_driver(name, size):
    header = (
        "%s -- %s.VXD STAND-IN\r\n"
        "This file is NOT a driver. It only stands in for the driver resource of this build\r\n"
        "of Volnerix, which carries no driver files. Never install it as a system file:\r\n"
        "Windows would lose access to the devices the real driver serves.\r\n"
        "\x1a" % (STAND_IN_MARKER.decode(), name.upper())).encode("ascii")
    if len(header) > size:
        raise SystemExit("stand-in %s: header longer than %d bytes" % (name, size))
    return header + bytes(size - len(header))


def driver(name, path):
    if not path:
        return stand_in_driver(name, STAND_IN_SIZES[name])
    with open(path, "rb") as f:
        data = f.read()
    if name == "cdfs" and len(data) != REPLACEMENT_CDFS_SIZE:
        raise SystemExit("%s: the CDFS driver must be %d bytes, not %d"
                         % (path, REPLACEMENT_CDFS_SIZE, len(data)))
    if name == "normalcdfs" and len(data) == REPLACEMENT_CDFS_SIZE:
        raise SystemExit("%s: the NORMALCDFS driver must not be %d bytes"
                         % (path, REPLACEMENT_CDFS_SIZE))
    if STAND_IN_MARKER in data:
        raise SystemExit("%s: is a stand-in, not a driver" % path)
    return data


# ---------------------------------------------------------------- output

def write(out_dir, name, data):
    path = os.path.join(out_dir, name)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out_dir")
    parser.add_argument("--cdfs")
    parser.add_argument("--normalcdfs")
    parser.add_argument("--vfat")
    args = parser.parse_args()
    os.makedirs(args.out_dir, exist_ok=True)

    # Text types are quoted: windres reads a bare VXD as the predefined type RT_VXD (20).
    rc = ["// Generated by generate.py: the resources of vlximg.dll.",
          "LANGUAGE 0, 0",
          'BACKGROUND BITMAP "background.bmp"',
          'STARTMENU BITMAP "startmenu.bmp"',
          'SELECTCOLOR CURSOR "selectcolor.cur"']
    write(args.out_dir, "background.bmp", dib_24(about_picture()))
    write(args.out_dir, "startmenu.bmp", dib_24(startmenu_picture()))
    cursor, hotspot = selectcolor_cursor()
    write(args.out_dir, "selectcolor.cur", cur_file(cursor, hotspot))
    # Icon groups 100..108: ExtractIconA counts groups in resource order, so 100 is index 0.
    for index, draw in enumerate(ICONS):
        write(args.out_dir, "icon%d.ico" % index, ico_file(scaled(draw)))
        rc.append('%d ICON "icon%d.ico"' % (100 + index, index))
    for name, data in folder_styles().items():
        write(args.out_dir, name + ".dat", data)
        rc.append('%s "FOLDERSTYLE" %s.dat' % (name, name))
    for name in ("cdfs", "normalcdfs", "vfat"):
        write(args.out_dir, name + ".vxd", driver(name, getattr(args, name)))
        rc.append('%s "VXD" %s.vxd' % (name.upper(), name))
    write(args.out_dir, "vlximg.rc", ("\n".join(rc) + "\n").encode("ascii"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
