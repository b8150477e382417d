#!/usr/bin/env python3
"""Checks for the saver's end-to-end test (SaverE2E.sh).

  saver_check.py watch DIR KEEP SECONDS   log file events in DIR; hard-link the snapshot file
                                          into KEEP the moment it appears, so that its bytes
                                          can be read after the saver has removed it
  saver_check.py picture SHOT.rgb W H     compare a raw RGB screenshot with ShowPicture's picture
  saver_check.py desktop SHOT.rgb W H     the same, requiring the whole picture unchanged
  saver_check.py snapshot FILE W H BITS   check a snapshot file's headers and length
  saver_check.py preview SHOT.rgb W H BOX_W BOX_H BITMAP
                                          the box at the screen's top-left corner shows the
                                          8-bit BITMAP tiled from that corner, pixel for pixel
"""
import ctypes
import os
import select
import struct
import sys
import time

IN_CREATE = 0x100
IN_DELETE = 0x200
IN_CLOSE_WRITE = 0x8
IN_MOVED_TO = 0x80


def watch(directory, keep, seconds):
    libc = ctypes.CDLL(None, use_errno=True)
    fd = libc.inotify_init()
    if fd < 0:
        sys.exit("inotify_init failed")
    if libc.inotify_add_watch(fd, directory.encode(), IN_CREATE | IN_DELETE | IN_CLOSE_WRITE | IN_MOVED_TO) < 0:
        sys.exit("inotify_add_watch failed")
    os.makedirs(keep, exist_ok=True)
    print("watching", flush=True)
    names = {IN_CREATE: "create", IN_DELETE: "delete", IN_CLOSE_WRITE: "written", IN_MOVED_TO: "moved-in"}
    end = time.time() + seconds
    while time.time() < end:
        ready, _, _ = select.select([fd], [], [], 0.2)
        if not ready:
            continue
        data = os.read(fd, 65536)
        offset = 0
        while offset < len(data):
            _, mask, _, length = struct.unpack_from("iIII", data, offset)
            name = data[offset + 16:offset + 16 + length].rstrip(b"\0").decode(errors="replace")
            offset += 16 + length
            for bit, label in names.items():
                if mask & bit:
                    print(label, name, flush=True)
            if mask & (IN_CREATE | IN_MOVED_TO) and name.lower() == "ctemppicture.bmp":
                try:
                    os.link(os.path.join(directory, name), os.path.join(keep, "snapshot.bmp"))
                    print("kept", name, flush=True)
                except OSError as error:
                    print("not-kept", name, error, flush=True)


def picture_colour(x, y):
    return (x & 0xFF, y & 0xFF, (64 + 16 * (x // 256) + y // 256) & 0xFF)


def picture(shot, width, height, exact=False):
    data = open(shot, "rb").read()
    if len(data) != width * height * 3:
        sys.exit("screenshot has %d bytes, not %d" % (len(data), width * height * 3))
    matching = 0
    mirrored_rows = 0
    for y in range(height):
        row = data[y * width * 3:(y + 1) * width * 3]
        expected = bytes(v for x in range(width) for v in picture_colour(x, y))
        flipped = bytes(v for x in range(width) for v in picture_colour(x, height - 1 - y))
        if row == flipped and row != expected:
            mirrored_rows += 1
        matching += sum(1 for i in range(0, width * 3, 3) if row[i:i + 3] == expected[i:i + 3])
    total = width * height
    print("matching %d of %d, refracted %d, mirrored rows %d" % (matching, total, total - matching, mirrored_rows))
    if exact:
        if matching != total:
            sys.exit("the test picture is not on the screen")
        return
    # Upright and unmirrored wherever the water is flat, which is most of the screen a
    # second after the start; drops have bent the picture elsewhere.
    if matching < total * 0.6:
        sys.exit("the picture is not shown upright and unmirrored")
    if total - matching < 200:
        sys.exit("no refracted pixels: no drops are visible")


def snapshot(path, width, height, bits):
    data = open(path, "rb").read()
    row = ((width * bits + 31) // 32) * 4
    image = row * height
    fields = struct.unpack_from("<2sIHHIIiiHHIIiiII", data, 0)
    magic, size, r1, r2, off, hsize, w, h, planes, bitcount, compression, image_size = fields[:12]
    problems = []
    if magic != b"BM": problems.append("type")
    if size != 54 + image or len(data) != size: problems.append("size %d/%d" % (size, len(data)))
    if (r1, r2, off, hsize, planes, compression) != (0, 0, 54, 40, 1, 0): problems.append("fixed fields")
    if (w, h, bitcount, image_size) != (width, height, bits, image): problems.append("dimensions %r" % ((w, h, bitcount, image_size),))
    if problems:
        sys.exit("snapshot file: " + ", ".join(problems))
    print("snapshot file whole: %d bytes, %dx%d at %d bits" % (len(data), w, h, bitcount))


def bitmap_rows(path):
    """Rows (top first) of RGB tuples of an uncompressed 8-bit bottom-up bitmap file."""
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    header_size, width, height, _, bits, compression, _, _, _, used = struct.unpack_from("<IiiHHIIiiI", data, 14)
    if bits != 8 or compression != 0 or height <= 0:
        sys.exit("%s: not an uncompressed bottom-up 8-bit bitmap" % path)
    table = 14 + header_size
    colours = [(data[table + 4 * i + 2], data[table + 4 * i + 1], data[table + 4 * i]) for i in range(used or 256)]
    stride = (width + 3) & ~3
    return [[colours[data[offset + (height - 1 - y) * stride + x]] for x in range(width)] for y in range(height)]


def preview(shot, width, height, box_width, box_height, bitmap):
    data = open(shot, "rb").read()
    if len(data) != width * height * 3:
        sys.exit("screenshot has %d bytes, not %d" % (len(data), width * height * 3))
    tile = bitmap_rows(bitmap)
    tile_height, tile_width = len(tile), len(tile[0])
    wrong = []
    for y in range(box_height):
        for x in range(box_width):
            o = (y * width + x) * 3
            if tuple(data[o:o + 3]) != tile[y % tile_height][x % tile_width]:
                wrong.append((x, y))
    if wrong:
        x, y = wrong[0]
        o = (y * width + x) * 3
        sys.exit("%d of %d pixels of the box differ from the tiled bitmap; first at %d,%d: %r, not %r"
                 % (len(wrong), box_width * box_height, x, y, tuple(data[o:o + 3]), tile[y % tile_height][x % tile_width]))
    print("the %dx%d box shows the %dx%d bitmap tiled from its corner" % (box_width, box_height, tile_width, tile_height))


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "watch":
        watch(sys.argv[2], sys.argv[3], float(sys.argv[4]))
    elif command == "picture":
        picture(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
    elif command == "desktop":
        picture(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), exact=True)
    elif command == "snapshot":
        snapshot(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]))
    elif command == "preview":
        preview(sys.argv[2], *map(int, sys.argv[3:7]), sys.argv[7])
    else:
        sys.exit(__doc__)
