#!/usr/bin/env python3
"""Whether the X server's pointer shows the cursor in a .cur file: the same
size, hot spot and shape.
Usage: pointer_is_cursor.py FILE.cur   (exit 0 if it does)"""
import ctypes
import struct
import sys


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def file_cursor(path):
    """Width, height, hot spot and ARGB pixels of a 32-bit .cur."""
    data = open(path, "rb").read()
    width, height, _, _, xhot, yhot, _, offset = struct.unpack_from("<BBBBHHII", data, 6)
    bits = offset + struct.unpack_from("<I", data, offset)[0]
    pixels = []
    for y in range(height):  # rows are stored bottom-up
        row = bits + (height - 1 - y) * width * 4
        for x in range(width):
            b, g, r, a = data[row + 4 * x:row + 4 * x + 4]
            pixels.append((a, r, g, b))
    return width, height, xhot, yhot, pixels


def pointer_cursor():
    x11 = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    image = xfixes.XFixesGetCursorImage(display).contents
    pixels = [((p >> 24) & 255, (p >> 16) & 255, (p >> 8) & 255, p & 255)
              for p in image.pixels[:image.width * image.height]]
    return image.width, image.height, image.xhot, image.yhot, pixels


want = file_cursor(sys.argv[1])
shown = pointer_cursor()
if want[:4] != shown[:4]:
    sys.exit("pointer %dx%d hot spot (%d, %d), file %dx%d hot spot (%d, %d)"
             % (shown[:4] + want[:4]))
# Wine makes partly transparent pixels wholly opaque or transparent in the X
# cursor, and changes colours on the way (by up to 126 levels on this file's
# pixels): the shape is judged, the file's opaque and transparent pixels.
wrong = [(i % want[0], i // want[0]) for i, (p, q) in enumerate(zip(want[4], shown[4]))
         if (p[0] == 0) != (q[0] == 0) and p[0] in (0, 255)]
if wrong:
    sys.exit("the pointer's shape differs from the file's at %d pixels, the first at %s"
             % (len(wrong), wrong[0]))
print("the pointer has the shape of the cursor in %s" % sys.argv[1])
