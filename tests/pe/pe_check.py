#!/usr/bin/env python3
"""Checks of the built Windows programs, read from their files (no Windows needed).

  pe_check.py imports LIST OLDEST PROGRAM...
      Every function each program imports is in LIST, the functions known to exist in the
      Windows version OLDEST names (for example "5.1" for Windows XP): a program whose
      import is missing does not load there. The programs' headers must not ask for a
      newer version either.
  pe_check.py manifest LEVEL PROGRAM...
      Each program embeds a manifest (resource 1 of type RT_MANIFEST) that requests the
      execution level LEVEL without UI access and names the Windows versions it supports.
  pe_check.py list PROGRAM...
      Prints each program's imports, a "DLL function" line each.
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

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


def version(text):
    major, minor = text.split(".")
    return int(major), int(minor)


def read_list(path):
    allowed = set()
    for line in open(path):
        line = line.split("#", 1)[0].strip()
        if line:
            dll, function = line.split()
            allowed.add((dll.lower(), function))
    return allowed


def check_imports(list_path, oldest, programs):
    allowed, newest, problems = read_list(list_path), version(oldest), []
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
