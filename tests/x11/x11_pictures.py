#!/usr/bin/env python3
"""Picture arithmetic for the X11 saver's tests, on binary PPM files (P6, 8 bits).

  x11_pictures.py scale IN.ppm WIDTH HEIGHT OUT.ppm   nearest pixel from the top-left: the
                                                      pixel at (c, t) is the one at
                                                      (c * w / WIDTH, t * h / HEIGHT)
  x11_pictures.py black WIDTH HEIGHT OUT.ppm          an all-black picture
  x11_pictures.py share A.ppm B.ppm                   print the percentage of equal pixels
"""
import sys


def read_ppm(path):
    data = open(path, "rb").read()
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            while data[position:position + 1] not in (b"\n", b""):
                position += 1
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    position += 1
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit("%s is not an 8-bit binary PPM" % path)
    width, height = int(fields[1]), int(fields[2])
    pixels = data[position:position + width * height * 3]
    if len(pixels) != width * height * 3:
        sys.exit("%s is truncated" % path)
    return width, height, pixels


def write_ppm(path, width, height, pixels):
    with open(path, "wb") as out:
        out.write(b"P6\n%d %d\n255\n" % (width, height))
        out.write(pixels)


def scale(source, new_width, new_height, target):
    width, height, pixels = read_ppm(source)
    rows = []
    for top in range(new_height):
        row = pixels[(top * height // new_height) * width * 3:][:width * 3]
        rows.append(b"".join(row[(c * width // new_width) * 3:][:3] for c in range(new_width)))
    write_ppm(target, new_width, new_height, b"".join(rows))


def share(first, second):
    w1, h1, a = read_ppm(first)
    w2, h2, b = read_ppm(second)
    if (w1, h1) != (w2, h2):
        sys.exit("the pictures differ in size")
    same = sum(1 for k in range(0, len(a), 3) if a[k:k + 3] == b[k:k + 3])
    print("%.1f" % (100.0 * same / (w1 * h1)))


def main():
    args = sys.argv[1:]
    if len(args) == 5 and args[0] == "scale":
        scale(args[1], int(args[2]), int(args[3]), args[4])
    elif len(args) == 4 and args[0] == "black":
        write_ppm(args[3], int(args[1]), int(args[2]), bytes(int(args[1]) * int(args[2]) * 3))
    elif len(args) == 3 and args[0] == "share":
        share(args[1], args[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
