#!/usr/bin/env python3
"""Draws the small pictures of the installation (install/images/*.gif).

Qt reads GIF but cannot write it, so the pictures are drawn here as
character grids and written by a small GIF encoder with real LZW
compression. Run from the repository root: python3 scripts/make-install-images.py
"""
import os
import struct
import sys

# item.gif: a blue round bullet with a pale arrow, on a white background that
# the buttons treat as their transparent colour.
ITEM = {
    "colors": {
        ".": (255, 255, 255),
        "k": (20, 60, 140),
        "b": (50, 110, 210),
        "l": (120, 170, 240),
        "w": (240, 248, 255),
    },
    "transparent": None,
    "rows": [
        "................",
        ".....kkkkkk.....",
        "...kkbbbbbbkk...",
        "..klllbbbbbbbk..",
        "..kllbbwbbbbbk..",
        ".klbbbbwwbbbbbk.",
        ".klbbbbwwwbbbbk.",
        ".kbbbbbwwwwbbbk.",
        ".kbbbbbwwwwbbbk.",
        ".kbbbbbwwwbbbbk.",
        ".kbbbbbwwbbbbbk.",
        "..kbbbbwbbbbbk..",
        "..kbbbbbbbbbbk..",
        "...kkbbbbbbkk...",
        ".....kkkkkk.....",
        "................",
    ],
}

# folder.gif: a yellow folder for the category tree, on a transparent
# background that takes the fill colour of whoever loads it.
FOLDER = {
    "colors": {
        ".": (255, 255, 255),
        "o": (128, 96, 16),
        "L": (255, 236, 150),
        "Y": (245, 200, 66),
        "D": (214, 163, 30),
    },
    "transparent": ".",
    "rows": [
        "................",
        "................",
        ".ooooo..........",
        "oLLLLLo.........",
        "oLYYYYYoooooooo.",
        "oLLLLLLLLLLLLLLo",
        "oLYYYYYYYYYYYYDo",
        "oLYYYYYYYYYYYYDo",
        "oLYYYYYYYYYYYYDo",
        "oLYYYYYYYYYYYYDo",
        "oLYYYYYYYYYYYYDo",
        "oLYYYYYYYYYYYYDo",
        "oLYYYYYYYYYYYYDo",
        "oDDDDDDDDDDDDDDo",
        ".oooooooooooooo.",
        "................",
    ],
}


class BitWriter:
    """Packs codes least significant bit first, as GIF wants them."""

    def __init__(self):
        self.data = bytearray()
        self.accumulator = 0
        self.count = 0

    def write(self, code, size):
        self.accumulator |= code << self.count
        self.count += size
        while self.count >= 8:
            self.data.append(self.accumulator & 0xFF)
            self.accumulator >>= 8
            self.count -= 8

    def finish(self):
        if self.count:
            self.data.append(self.accumulator & 0xFF)
        return bytes(self.data)


def lzw_compress(indices, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    writer = BitWriter()

    def reset():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, code_size = reset()
    writer.write(clear, code_size)
    prefix = ()
    for index in indices:
        extended = prefix + (index,)
        if extended in table:
            prefix = extended
            continue
        writer.write(table[prefix], code_size)
        if next_code < 4096:
            table[extended] = next_code
            next_code += 1
            # The decoder widens its codes one step later than it learns a
            # new entry, hence "greater than" rather than "equal to".
            if next_code > (1 << code_size) and code_size < 12:
                code_size += 1
        else:
            writer.write(clear, code_size)
            table, next_code, code_size = reset()
        prefix = (index,)
    if prefix:
        writer.write(table[prefix], code_size)
    writer.write(end, code_size)
    return writer.finish()


def encode_gif(picture):
    rows = picture["rows"]
    height = len(rows)
    width = len(rows[0])
    keys = list(picture["colors"])
    bits = max(1, (len(keys) - 1).bit_length())
    palette = [picture["colors"][k] for k in keys]
    palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
    indices = [keys.index(ch) for row in rows for ch in row]

    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | ((bits - 1) << 4) | (bits - 1), 0, 0)
    for rgb in palette:
        out += bytes(rgb)
    if picture["transparent"] is not None:
        transparent = keys.index(picture["transparent"])
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0x01, 0, transparent, 0)
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    min_code_size = max(2, bits)
    out.append(min_code_size)
    data = lzw_compress(indices, min_code_size)
    for start in range(0, len(data), 255):
        block = data[start:start + 255]
        out.append(len(block))
        out += block
    out.append(0)
    out.append(0x3B)
    return bytes(out)


def main():
    folder = os.path.join("install", "images")
    if not os.path.isdir(folder):
        sys.exit("run from the repository root")
    for name, picture in (("item.gif", ITEM), ("folder.gif", FOLDER)):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(encode_gif(picture))


if __name__ == "__main__":
    main()
