"""Reads exported quilt images with Pillow and checks that they agree.

check_images.py square BMP PCX PNG SIZE
    all three decode at SIZE x SIZE; the PNG is an 8-bit palette image with
    the BMP's colour table and pixel indices, compressed to well under the
    BMP's size; the PCX shows the pixels mirrored top to bottom, and the PCX
    palette trailer equals the BMP colour table.
check_images.py complete BMP PCX PNG
    every row of every file decodes and the three agree in size.
"""
import os
import sys

from PIL import Image, ImageOps


def load(path):
    image = Image.open(path)
    image.load()  # decodes every row; a truncated file raises here
    return image


def fail(message):
    print("check_images: " + message, file=sys.stderr)
    sys.exit(1)


def colour_table(bmp_path):
    data = open(bmp_path, "rb").read()
    table = data[54:54 + 1024]
    return bytes(b for i in range(256) for b in (table[4 * i + 2], table[4 * i + 1], table[4 * i]))


def pcx_trailer(pcx_path):
    data = open(pcx_path, "rb").read()
    if len(data) < 769 or data[-769] != 12:
        fail(pcx_path + ": no palette trailer")
    return data[-768:]


def main(argv):
    mode, bmp_path, pcx_path, png_path = argv[1:5]
    bmp, pcx, png = load(bmp_path), load(pcx_path), load(png_path)
    if not (bmp.size == pcx.size == png.size):
        fail("sizes differ: bmp %s, pcx %s, png %s" % (bmp.size, pcx.size, png.size))
    if pcx_trailer(pcx_path) != colour_table(bmp_path):
        fail("the PCX palette trailer differs from the BMP colour table")
    if mode == "square":
        size = int(argv[5])
        if bmp.size != (size, size):
            fail("expected %dx%d, got %s" % (size, size, bmp.size))
        bmp_rgb = bmp.convert("RGB")
        if bmp_rgb.tobytes() != png.convert("RGB").tobytes():
            fail("PNG pixels differ from the BMP pixels")
        if png.mode != "P" or bytes(png.getpalette()) != colour_table(bmp_path):
            fail("the PNG is not a palette image with the BMP colour table")
        if png.tobytes() != bmp.tobytes():
            fail("PNG palette indices differ from the BMP indices")
        if os.path.getsize(png_path) * 2 > os.path.getsize(bmp_path):
            fail("the PNG is not compressed: %d bytes" % os.path.getsize(png_path))
        if ImageOps.flip(bmp_rgb).tobytes() != pcx.convert("RGB").tobytes():
            fail("PCX pixels are not the BMP mirrored top to bottom")
        if list(bmp.getdata()) == [bmp.getdata()[0]] * (size * size):
            fail("the picture is a single colour")
    print("check_images: %s ok, %dx%d" % (mode, bmp.size[0], bmp.size[1]))


if __name__ == "__main__":
    main(sys.argv)
