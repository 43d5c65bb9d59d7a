# The stand-in for what users run without Duskweave: a Python extractor, one
# process per archive, that reads the DEF archive itself and writes every
# frame as a palettised PNG with Pillow (Debian python3-pil): fill runs as
# index 0, the stored rectangle placed by its margins in the full frame, as
# duskweave-convert's default PNG export draws it. bench/paths.cpp times it.
#   python3 pillow_writer.py ARCHIVE.def DESTINATION_FOLDER
import os
import struct
import sys

from PIL import Image


def rows_of(data, start, comp, width, height):
    """The stored rows, each width bytes."""
    rows = []
    for r in range(height):
        if comp == 0:
            rows.append(data[start + r * width:start + (r + 1) * width])
            continue
        if comp == 1:
            at = start + struct.unpack_from("<I", data, start + 4 * r)[0]
        elif comp == 2:
            at = start + struct.unpack_from("<H", data, start + 2 * r)[0]
        else:
            at = start + struct.unpack_from("<H", data, start + 2 * (width // 32) * r)[0]
        row = bytearray()
        while len(row) < width:
            if comp == 1:
                code, length = data[at], data[at + 1] + 1
                at += 2
                literal = code == 0xFF
            else:
                code, length = data[at] >> 5, (data[at] & 31) + 1
                at += 1
                literal = code == 7
            if literal:
                row += data[at:at + length]
                at += length
            else:
                row += bytes(length)
        rows.append(bytes(row[:width]))
    return rows


def main(path, destination):
    data = open(path, "rb").read()
    blocks = struct.unpack_from("<i", data, 12)[0]
    palette = data[16:784]
    at = 784
    entries = []
    for _ in range(blocks):
        count = struct.unpack_from("<i", data, at + 4)[0]
        at += 16
        names = [data[at + 13 * k:at + 13 * k + 13].split(b"\0")[0] for k in range(count)]
        at += 13 * count
        offsets = struct.unpack_from("<%di" % count, data, at)
        at += 4 * count
        entries += zip(names, offsets)
    for name, offset in entries:
        _, comp, full_w, full_h, w, h, left, top = struct.unpack_from("<8i", data, offset)
        image = bytearray(full_w * full_h)
        for r, row in enumerate(rows_of(data, offset + 32, comp, w, h)):
            y = top + r
            if 0 <= y < full_h and left < full_w:
                take = min(w, full_w - left)
                image[y * full_w + left:y * full_w + left + take] = row[:take]
        png = Image.frombytes("P", (full_w, full_h), bytes(image))
        png.putpalette(palette)
        stem = name.decode("cp1251").rsplit(".", 1)[0]
        png.save(os.path.join(destination, stem + ".png"))


main(sys.argv[1], sys.argv[2])
