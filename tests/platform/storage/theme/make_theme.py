#!/usr/bin/env python3
"""Writes the small icon theme that the storage tests look type icons up in.

Run from anywhere; it rewrites the theme next to itself. Every image is made here, pixel by
pixel, so that the tests know each pixel's exact colour and alpha.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def header(width, height):
    return b"\x89PNG\r\n\x1a\n" + chunk(
        b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))


def png(width, height, pixel):
    """A non-interlaced 8-bit RGBA PNG; pixel(x, y) gives (r, g, b, a)."""
    rows = b"".join(
        b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    return header(width, height) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


def bands(size):
    """Four bands of rows: black, white, red at alpha 128 | 127, blue at alpha 0 | 255."""
    def pixel(x, y):
        band = y * 4 // size
        left = x < size // 2
        if band == 0:
            return (0, 0, 0, 255)
        if band == 1:
            return (255, 255, 255, 255)
        if band == 2:
            return (255, 0, 0, 128 if left else 127)
        return (0, 0, 255, 0 if left else 255)
    return pixel


def solid(r, g, b):
    return lambda x, y: (r, g, b, 255)


def write(relative, data):
    path = os.path.join(HERE, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    mode = "w" if isinstance(data, str) else "wb"
    with open(path, mode) as out:
        out.write(data)


def index(name, inherits, folders):
    lines = ["[Icon Theme]", "Name=" + name]
    if inherits:
        lines.append("Inherits=" + inherits)
    lines.append("Directories=" + ",".join(f for f, _ in folders) + ",")
    for folder, keys in folders:
        lines += ["", "[" + folder + "]"] + [k + "=" + v for k, v in keys]
    return "\n".join(lines) + "\n"


def fixed(size):
    return [("Size", str(size)), ("Type", "Fixed")]


SCALABLE = [("Size", "64"), ("MinSize", "8"), ("MaxSize", "512"), ("Type", "Scalable")]

write("Testicons/index.theme", index("Testicons", "Testparent", [
    ("16x16/mimetypes", fixed(16)), ("32x32/mimetypes", fixed(32)),
    ("16x16/mimetypes@2", fixed(16) + [("Scale", "2")]),
    ("scalable/mimetypes", SCALABLE), ("scalable/places", SCALABLE)]))
write("Testicons/16x16/mimetypes/text-plain.png", png(16, 16, bands(16)))
write("Testicons/32x32/mimetypes/text-plain.png", png(32, 32, bands(32)))
# Twice the pixels for high-density screens only: never chosen.
write("Testicons/16x16/mimetypes@2/application-pdf.png", png(32, 32, solid(0, 255, 0)))
write("Testicons/16x16/mimetypes/application-x-vellumark-corrupt.png",
      b"\x89PNG\r\n\x1a\n" + b"\0not really a png" * 8)
# A header that claims 60000 x 60000 pixels, with no image data behind it.
write("Testicons/16x16/mimetypes/application-x-vellumark-huge.png",
      header(60000, 60000) + chunk(b"IDAT", zlib.compress(b"\0" * 64)) + chunk(b"IEND", b""))
write("Testicons/scalable/mimetypes/application-x-vellumark-badsvg.svg", "<svg><unclosed")
write("Testicons/scalable/places/folder.svg",
      '<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64">'
      '<rect width="64" height="64" fill="#0000ff"/></svg>\n')

write("Testparent/index.theme", index("Testparent", "", [("32x32/mimetypes", fixed(32))]))
write("Testparent/32x32/mimetypes/application-x-executable.png", png(32, 32, solid(0, 255, 0)))

write("hicolor/index.theme", index("Hicolor", "", [("48x48/mimetypes", fixed(48))]))
write("hicolor/48x48/mimetypes/application-pdf.png", png(48, 48, solid(255, 0, 0)))
