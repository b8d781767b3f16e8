#!/usr/bin/env python3
"""Copies the TrueType and OpenType fonts of a folder into a Wine prefix's
Fonts folder:  install-fonts.py FONT_DIR PREFIX_FONTS_DIR

Wine's GDI+ hands every run of text whose characters lie outside the code
pages a font declares (the OS/2 table's ulCodePageRange) to another font, and
reads a font that declares none (Noto Sans and Noto Serif do) as covering
nothing, so their text would be drawn in some other family. Windows picks
fonts by the characters they hold. Copies of such fonts declare the Latin,
Greek and Cyrillic code pages they do hold (the table's and the file's check
sums follow); the outlines and metrics stay as they are. A copy already in
place and as new as its source is kept."""
import os
import shutil
import struct
import sys

# Latin 1, Latin 2, Cyrillic, Greek, Turkish, Baltic, Vietnamese, Mac Roman.
DECLARED_CODE_PAGES = 0x2000019F


def check_sum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def declare_code_pages(data):
    """The font with code pages declared, or None when it needs none."""
    tables = {}
    count = struct.unpack(">H", data[4:6])[0]
    for i in range(count):
        entry = 12 + 16 * i
        tag, _, offset, length = struct.unpack(">4sIII", data[entry:entry + 16])
        tables[tag] = (entry, offset, length)
    if b"OS/2" not in tables or b"head" not in tables:
        return None
    entry, offset, length = tables[b"OS/2"]
    version = struct.unpack(">H", data[offset:offset + 2])[0]
    if version < 1 or length < 86 or data[offset + 78:offset + 86] != b"\0" * 8:
        return None
    font = bytearray(data)
    font[offset + 78:offset + 82] = struct.pack(">I", DECLARED_CODE_PAGES)
    font[entry + 4:entry + 8] = struct.pack(">I", check_sum(bytes(font[offset:offset + length])))
    head = tables[b"head"][1]
    font[head + 8:head + 12] = b"\0" * 4
    font[head + 8:head + 12] = struct.pack(">I", (0xB1B0AFBA - check_sum(bytes(font))) & 0xFFFFFFFF)
    return bytes(font)


def main():
    source, target = sys.argv[1:3]
    os.makedirs(target, exist_ok=True)
    for name in sorted(os.listdir(source)):
        if not name.lower().endswith((".ttf", ".otf")):
            continue
        src, dst = os.path.join(source, name), os.path.join(target, name)
        if os.path.exists(dst) and os.path.getmtime(dst) >= os.path.getmtime(src):
            continue
        with open(src, "rb") as f:
            data = f.read()
        patched = declare_code_pages(data)
        if patched is None:
            shutil.copyfile(src, dst)
        else:
            with open(dst, "wb") as f:
                f.write(patched)


if __name__ == "__main__":
    main()
