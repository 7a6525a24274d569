#!/usr/bin/python3
"""Writes the two images of the story page companion files into res/pages/:
skimbolt_small.gif (130x21, the program's name as a small logo) and
noframes.gif (60x16, a small "no frames" button).

The letters come from a 5x7 pixel font kept below and the GIF is encoded
here, so the output is the same on every machine and needs no extra package.

Run with Debian's own Python: /usr/bin/python3 scripts/gen_page_images.py
"""
import os
import struct

OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "pages")

# 5x7 glyphs of the letters the two images use.
FONT = {
    "S": [".###.", "#...#", "#....", ".###.", "....#", "#...#", ".###."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "b": ["#....", "#....", "####.", "#...#", "#...#", "#...#", "####."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "f": ["..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#..."],
    "i": ["..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."],
    "k": ["#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "m": [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "s": [".....", ".....", ".####", "#....", ".###.", "....#", "####."],
    "t": [".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."],
}
SPACE_WIDTH = 3

# Palette index -> RGB. The table of a GIF holds a power of two of colours.
WHITE, BLUE, LIGHT, ORANGE = 0, 1, 2, 3
PALETTE = [(0xFF, 0xFF, 0xFF), (0x00, 0x40, 0x80), (0xD8, 0xE4, 0xF0), (0xF0, 0x90, 0x20)]


class Canvas:
    def __init__(self, width, height, fill=WHITE):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def text(self, x, y, s, colour, scale=1):
        """Draws s with its top left corner at (x, y); returns the x after it."""
        for ch in s:
            if ch == " ":
                x += SPACE_WIDTH * scale
                continue
            for row, line in enumerate(FONT[ch]):
                for col, bit in enumerate(line):
                    if bit == "#":
                        self.rect(x + col * scale, y + row * scale,
                                  x + col * scale + scale - 1, y + row * scale + scale - 1, colour)
            x += 6 * scale
        return x


def text_width(s, scale=1):
    return sum(SPACE_WIDTH * scale if ch == " " else 6 * scale for ch in s) - scale


def lzw_codes(indices, min_size):
    """The GIF flavour of LZW: variable code size, no early change."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    codes = []  # (code, bit size)

    def reset():
        return {(i,): i for i in range(clear)}, end + 1, min_size + 1

    table, next_code, size = reset()
    codes.append((clear, size))
    run = ()
    for k in indices:
        grown = run + (k,)
        if grown in table:
            run = grown
            continue
        codes.append((table[run], size))
        if next_code < 4096:
            table[grown] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            codes.append((clear, size))
            table, next_code, size = reset()
        run = (k,)
    codes.append((table[run], size))
    codes.append((end, size))
    return codes


def pack_codes(codes):
    out, acc, nbits = bytearray(), 0, 0
    for code, size in codes:
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif_bytes(canvas):
    min_size = 2  # four colours
    data = pack_codes(lzw_codes([c for row in canvas.pixels for c in row], min_size))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", canvas.width, canvas.height, 0x80 | 0x10 | 1, 0, 0)
    for rgb in PALETTE:
        out += bytes(rgb)
    out += b","
    out += struct.pack("<HHHHB", 0, 0, canvas.width, canvas.height, 0)
    out.append(min_size)
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        out.append(len(block))
        out += block
    out += b"\x00;"
    return bytes(out)


def logo():
    """130x21: a small orange bolt in a blue square, then "Skimbolt" in blue."""
    c = Canvas(130, 21)
    c.rect(1, 1, 19, 19, BLUE)
    bolt = [(11, 3), (10, 4), (9, 5), (8, 6), (7, 7), (6, 8), (6, 9), (7, 9), (8, 9), (9, 9), (10, 9),
            (11, 9), (12, 9), (12, 10), (11, 11), (10, 12), (9, 13), (8, 14), (7, 15), (8, 15)]
    for x, y in bolt:
        c.rect(x, y, x + 1, y + 1, ORANGE)
    width = text_width("Skimbolt", 2)
    c.text(24 + (106 - width) // 2, 4, "Skimbolt", BLUE, 2)
    return c


def noframes_button():
    """60x16: "no frames" in blue on a light button with a blue border."""
    c = Canvas(60, 16, LIGHT)
    c.rect(0, 0, 59, 0, BLUE)
    c.rect(0, 15, 59, 15, BLUE)
    c.rect(0, 0, 0, 15, BLUE)
    c.rect(59, 0, 59, 15, BLUE)
    width = text_width("no frames")
    c.text((60 - width) // 2, 4, "no frames", BLUE)
    return c


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    for name, canvas in (("skimbolt_small.gif", logo()), ("noframes.gif", noframes_button())):
        with open(os.path.join(OUT_DIR, name), "wb") as f:
            f.write(gif_bytes(canvas))


if __name__ == "__main__":
    main()
