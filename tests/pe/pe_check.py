#!/usr/bin/env python3
"""Checks of the built Windows programs, read from their files (no Windows needed).

  pe_check.py imports LIST OLDEST PROGRAM...
      Every function each program imports is in LIST, the functions known to exist in the
      Windows version OLDEST names ("5.1" for the 32-bit Windows XP, "5.2" for Windows XP
      Professional x64 Edition): a program whose import is missing does not load there. A line
      of LIST marked "5.1" counts only for the first, one marked "x64" only for the second.
      The programs' headers must not ask for a newer version either.
  pe_check.py manifest LEVEL PROGRAM...
      Each program embeds a manifest (resource 1 of type RT_MANIFEST) that requests the
      execution level LEVEL without UI access and names the Windows versions it supports.
  pe_check.py saver-resources PROGRAM
      The saver's version block (1.0.0.1, its description and product name), its manifest's
      DPI awareness, and its two dialog templates, field by field: styles, positions, sizes,
      fonts, and the controls in their order with their classes, texts, styles and rectangles.
  pe_check.py list PROGRAM...
      Prints each program's imports, a "DLL function" line each.
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_DIALOG = 5
RT_VERSION = 16
RT_MANIFEST = 24
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"


class Image:
    """The parts of a PE file these checks read."""

    def __init__(self, path):
        self.path = path
        self.data = open(path, "rb").read()
        if self.data[:2] != b"MZ":
            raise ValueError("%s: not an executable" % path)
        pe, = struct.unpack_from("<I", self.data, 0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("%s: no PE header" % path)
        sections, = struct.unpack_from("<H", self.data, pe + 6)
        optional_size, = struct.unpack_from("<H", self.data, pe + 20)
        optional = pe + 24
        magic, = struct.unpack_from("<H", self.data, optional)
        if magic not in (0x10B, 0x20B):
            raise ValueError("%s: unknown optional header 0x%x" % (path, magic))
        self.wide = magic == 0x20B
        self.os_version = struct.unpack_from("<HH", self.data, optional + 40)
        self.subsystem_version = struct.unpack_from("<HH", self.data, optional + 48)
        directories = optional + (112 if self.wide else 96)
        self.directory = [struct.unpack_from("<II", self.data, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", self.data, table + 40 * i + 8) for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise ValueError("%s: address 0x%x is in no section" % (self.path, rva))

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        """(DLL, function) pairs; a function imported by ordinal reads "#N"."""
        rva, size = self.directory[1]
        found = []
        if not size:
            return found
        entry = self.offset(rva)
        slot, high_bit = (8, 1 << 63) if self.wide else (4, 1 << 31)
        while True:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, entry)
            if not name:
                return found
            dll = self.text(name)
            thunk = self.offset(lookup or first)
            while True:
                value, = struct.unpack_from("<Q" if self.wide else "<I", self.data, thunk)
                if not value:
                    break
                found.append((dll, "#%d" % (value & 0xFFFF) if value & high_bit else self.text((value & 0x7FFFFFFF) + 2)))
                thunk += slot
            entry += 20

    def resource(self, kind, ident):
        """The bytes of the first language of resource `ident` of type `kind`, or None."""
        rva, size = self.directory[2]
        if not size:
            return None
        base = self.offset(rva)

        def child(directory, wanted):
            named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
                if wanted is None or (not name & 0x80000000 and name == wanted):
                    return target
            return None

        level = base
        for wanted in (kind, ident, None):
            target = child(level, wanted)
            if target is None:
                return None
            level = base + (target & 0x7FFFFFFF)
        data_rva, data_size = struct.unpack_from("<II", self.data, level)
        start = self.offset(data_rva)
        return self.data[start:start + data_size]


class Reader:
    """Little-endian reads through a resource's bytes."""

    def __init__(self, data, at=0):
        self.data, self.at = data, at

    def take(self, form):
        values = struct.unpack_from("<" + form, self.data, self.at)
        self.at += struct.calcsize("<" + form)
        return values if len(values) > 1 else values[0]

    def text(self):
        end = self.at
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return value

    def name_or_ordinal(self):
        """None, an ordinal (int) or a text, as dialog templates store them."""
        first, = struct.unpack_from("<H", self.data, self.at)
        if first == 0:
            self.at += 2
            return None
        if first == 0xFFFF:
            self.at += 4
            return struct.unpack_from("<H", self.data, self.at - 2)[0]
        return self.text()

    def align(self):
        self.at = (self.at + 3) & ~3


def dialog_template(data):
    """(header, controls) of a DLGTEMPLATE resource."""
    reader = Reader(data)
    style, extended, count, x, y, cx, cy = reader.take("IIHhhhh")
    header = {"style": style, "extended": extended, "rect": (x, y, cx, cy), "menu": reader.name_or_ordinal(),
              "class": reader.name_or_ordinal(), "caption": reader.text()}
    if style & 0x40:  # DS_SETFONT
        header["font"] = (reader.take("H"), reader.text())
    controls = []
    for _ in range(count):
        reader.align()
        style, extended, x, y, cx, cy, ident = reader.take("IIhhhhH")
        kind, text = reader.name_or_ordinal(), reader.name_or_ordinal()
        extra = reader.take("H")
        reader.at += extra
        controls.append((ident, kind, text, style, extended, (x, y, cx, cy)))
    return header, controls


def version_strings(data):
    """(fixed file info as four version words, {key: text} of the string tables)."""
    strings = {}

    def block(at, depth):
        reader = Reader(data, at)
        length, value_length, kind = reader.take("HHH")
        key = reader.text()
        reader.align()
        if depth == 0:
            fixed = struct.unpack_from("<13I", data, reader.at)
            block.fixed = fixed
        elif kind == 1 and value_length:
            strings[key] = data[reader.at:reader.at + 2 * value_length].decode("utf-16-le").rstrip("\0")
        reader.at += value_length * (2 if kind == 1 else 1)
        reader.align()
        while reader.at < at + length:
            reader.at = block(reader.at, depth + 1)
        return (at + length + 3) & ~3

    block.fixed = None
    block(0, 0)
    fixed = block.fixed
    if not fixed or fixed[0] != 0xFEEF04BD:
        raise ValueError("no fixed file information in the version block")
    versions = (fixed[2] >> 16, fixed[2] & 0xFFFF, fixed[3] >> 16, fixed[3] & 0xFFFF)
    products = (fixed[4] >> 16, fixed[4] & 0xFFFF, fixed[5] >> 16, fixed[5] & 0xFFFF)
    return versions, products, strings


STATIC, BUTTON = 0x82, 0x80
ICON = 128
# Texts of our own choosing (copyright lines, the home-page address) are matched loosely.
ANY = lambda value: True  # noqa: E731
TWO_LINES = lambda value: isinstance(value, str) and "\n" in value  # noqa: E731
SAVER_DIALOGS = {
    100: ({"style": 0x80C800C0, "extended": 0, "rect": (34, 22, 217, 55), "menu": None, "class": None,
           "caption": "About Saver", "font": (8, "MS Sans Serif")},
          [(65535, STATIC, ICON, 0x50000003, 0, (11, 17, 20, 20)),
           (65535, STATIC, "Saver Version 1.0", 0x50020000, 0, (40, 10, 119, 8)),
           (65535, STATIC, ANY, 0x50020000, 0, (40, 25, 119, 8)),
           (1, BUTTON, "OK", 0x50030001, 0, (176, 6, 32, 14))]),
    102: ({"style": 0x90C800C0, "extended": 0, "rect": (0, 0, 160, 134), "menu": None, "class": None,
           "caption": ANY, "font": (10, "MS Sans Serif")},
          [(1011, STATIC, "ScreenSaver 1.0 ", 0x50020000, 0, (29, 2, 112, 11)),
           (1008, BUTTON, ANY, 0x50010001, 0, (15, 13, 126, 13)),
           (65535, STATIC, TWO_LINES, 0x50020000, 0, (45, 28, 105, 18)),
           (1009, BUTTON, "Quit", 0x50010000, 0, (49, 50, 61, 12)),
           (65535, STATIC, ICON, 0x50000003, 0, (16, 34, 20, 20))]),
}


def same(expected, actual):
    if callable(expected):
        return expected(actual)
    if isinstance(expected, (tuple, list)):
        return len(expected) == len(actual) and all(same(e, a) for e, a in zip(expected, actual))
    if isinstance(expected, dict):
        return expected.keys() == actual.keys() and all(same(expected[k], actual[k]) for k in expected)
    return expected == actual


def check_saver_resources(path):
    image, problems = Image(path), []
    data = image.resource(RT_VERSION, 1)
    if data is None:
        problems.append("%s: no version block" % path)
    else:
        versions, products, strings = version_strings(data)
        if versions != (1, 0, 0, 1) or products != (1, 0, 0, 1):
            problems.append("%s: file version %r, product version %r" % (path, versions, products))
        for key in ("FileDescription", "ProductName"):
            if strings.get(key) != "3D Vellumar ScreenSaver":
                problems.append("%s: %s is %r" % (path, key, strings.get(key)))
    # The saver photographs and covers the screen at its real pixel size on scaled displays.
    manifest = ElementTree.fromstring(image.resource(RT_MANIFEST, 1) or b"<none/>")
    dpi = {element.tag.split("}")[-1]: element.text for element in manifest.iter()}
    if dpi.get("dpiAware") != "true/pm" or dpi.get("dpiAwareness") != "PerMonitorV2, PerMonitor":
        problems.append("%s: the manifest does not declare per-monitor DPI awareness" % path)
    for ident, (header, controls) in SAVER_DIALOGS.items():
        data = image.resource(RT_DIALOG, ident)
        if data is None:
            problems.append("%s: no dialog template %d" % (path, ident))
            continue
        actual_header, actual_controls = dialog_template(data)
        if not same(header, actual_header):
            problems.append("%s: dialog %d is %r" % (path, ident, actual_header))
        if len(controls) != len(actual_controls):
            problems.append("%s: dialog %d has %d controls" % (path, ident, len(actual_controls)))
        for number, (expected, actual) in enumerate(zip(controls, actual_controls), 1):
            if not same(expected, actual):
                problems.append("%s: dialog %d, control %d is %r" % (path, ident, number, actual))
    print("%s: version block, DPI awareness and dialog templates 100 and 102 checked" % path)
    return problems


def version(text):
    major, minor = text.split(".")
    return int(major), int(minor)


# A line's third word names the one Windows XP it holds for; lines without one hold for both.
ONLY_ON = {"5.1": "5.1", "x64": "5.2"}


def read_list(path, oldest):
    """The (dll, function) pairs of the list that hold for Windows `oldest`."""
    if oldest not in ONLY_ON.values():
        raise ValueError("%s lists Windows %s only, not %s" % (path, " and ".join(ONLY_ON.values()), oldest))
    allowed, seen = set(), set()
    for number, line in enumerate(open(path), 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        # A stray word or a misspelt mark would quietly drop or widen a line: refuse it.
        if len(words) not in (2, 3) or not words[0].lower().endswith(".dll") or \
                (len(words) == 3 and words[2] not in ONLY_ON):
            raise ValueError('%s:%d: not "DLL function", "DLL function 5.1" or "DLL function x64": %r'
                             % (path, number, line.rstrip("\n")))
        key = (words[0].lower(), words[1])
        if key in seen:
            raise ValueError("%s:%d: %s %s is listed twice" % (path, number, words[0], words[1]))
        seen.add(key)
        if len(words) == 2 or ONLY_ON[words[2]] == oldest:
            allowed.add(key)
    return allowed


def check_imports(list_path, oldest, programs):
    allowed, newest, problems = read_list(list_path, oldest), version(oldest), []
    for path in programs:
        image = Image(path)
        for field, value in (("operating system", image.os_version), ("subsystem", image.subsystem_version)):
            if value > newest:
                problems.append("%s: asks for %s version %d.%d, newer than %s" % (path, field, value[0], value[1], oldest))
        imports = image.imports()
        for dll, function in imports:
            if (dll.lower(), function) not in allowed:
                problems.append("%s: imports %s from %s, which is not known to exist in Windows %s"
                                % (path, function, dll, oldest))
        dlls = sorted({dll for dll, _ in imports}, key=str.lower)
        print("%s: %d functions from %s; subsystem %d.%d" % (path, len(imports), ", ".join(dlls), *image.subsystem_version))
    return problems


def check_manifest(level, programs):
    problems = []
    for path in programs:
        manifest = Image(path).resource(RT_MANIFEST, 1)
        if manifest is None:
            problems.append("%s: no manifest resource" % path)
            continue
        try:
            root = ElementTree.fromstring(manifest)
        except ElementTree.ParseError as error:
            problems.append("%s: the manifest is not well-formed: %s" % (path, error))
            continue
        requests = root.findall(".//{%s}requestedExecutionLevel" % ASM_V3)
        if [(r.get("level"), r.get("uiAccess")) for r in requests] != [(level, "false")]:
            problems.append("%s: the manifest requests %r, not one level %s without UI access"
                            % (path, [dict(r.attrib) for r in requests], level))
        supported = root.findall(".//{%s}supportedOS" % COMPATIBILITY)
        if not supported:
            problems.append("%s: the manifest names no supported Windows version" % path)
        print("%s: manifest requests %s and names %d supported Windows versions" % (path, level, len(supported)))
    return problems


def main(argv):
    if len(argv) >= 4 and argv[1] == "imports":
        problems = check_imports(argv[2], argv[3], argv[4:])
    elif len(argv) >= 3 and argv[1] == "manifest":
        problems = check_manifest(argv[2], argv[3:])
    elif len(argv) == 3 and argv[1] == "saver-resources":
        problems = check_saver_resources(argv[2])
    elif len(argv) >= 2 and argv[1] == "list":
        for path in argv[2:]:
            for dll, function in Image(path).imports():
                print(dll, function)
        problems = []
    else:
        sys.exit(__doc__)
    for problem in problems:
        print("FAIL:", problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
