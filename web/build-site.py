#!/usr/bin/python3
"""Builds the home page into a folder of static files:

    build-site.py --modules DIR --dist DIR --out DIR

DIR of --modules holds the two WebAssembly modules (the web preset's build/web/web); --dist is
what ./run package wrote: the packages and their SHA256SUMS, which the page offers with their
checksums (each checked against its file first). The folder --out is made afresh: the page,
its script and style, the modules, the saver's icon, the pool picture drawn here by ImageMagick, and the packages
with SHA256SUMS under downloads/.
"""
import argparse
import hashlib
import html
import os
import re
import shutil
import string
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(HERE)
MODULES = ("vellumar-simd.wasm", "vellumar-plain.wasm")
PAGE_FILES = ("vellumar.js", "vellumar.css")

# What each package is, by the name ./run package gives it.
KINDS = (
    ("msi_x64", re.compile(r"^Vellumar-[0-9.]+-x64\.msi$"), "Installer package for 64-bit Windows"),
    ("msi_x86", re.compile(r"^Vellumar-[0-9.]+-x86\.msi$"), "Installer package for 32-bit Windows"),
    ("zip", re.compile(r"^Vellumar-[0-9.]+-windows\.zip$"), "The saver for 32- and 64-bit Windows, to install yourself"),
    ("deb", re.compile(r"^vellumar_[0-9.]+_amd64\.deb$"), "Debian package of the saver for XScreenSaver (Debian 12 and 13, amd64)"),
)


def fail(message):
    sys.exit(f"build-site.py: {message}")


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        for block in iter(lambda: file.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def read_checksums(dist):
    """(name, checksum) for every line of SHA256SUMS, each checked against its file."""
    listing = os.path.join(dist, "SHA256SUMS")
    if not os.path.isfile(listing):
        fail(f"{listing} is missing: ./run package writes it")
    entries = []
    with open(listing, encoding="utf-8") as file:
        for number, line in enumerate(file, 1):
            match = re.fullmatch(r"([0-9a-f]{64}) [ *](\S+)\n?", line)
            if not match or "/" in match.group(2):
                fail(f"{listing} line {number} is not 'CHECKSUM  NAME'")
            checksum, name = match.groups()
            path = os.path.join(dist, name)
            if not os.path.isfile(path):
                fail(f"{name}, listed in {listing}, is missing")
            if sha256(path) != checksum:
                fail(f"{name} does not match its checksum in {listing}: run ./run package again")
            entries.append((name, checksum))
    if not entries:
        fail(f"{listing} lists nothing")
    return entries


def describe(entries, dist):
    """The downloads table and each kind's file name; every kind once, nothing unknown."""
    names = {}
    rows = []
    for name, checksum in entries:
        kind = next((kind for kind in KINDS if kind[1].match(name)), None)
        if not kind:
            fail(f"{name} in SHA256SUMS is no package the page knows how to describe")
        if kind[0] in names:
            fail(f"both {names[kind[0]]} and {name} are a {kind[2]}")
        names[kind[0]] = name
        size = os.path.getsize(os.path.join(dist, name))
        rows.append(
            f'<tr><td><a href="downloads/{html.escape(name)}" download>{html.escape(name)}</a></td>'
            f"<td>{html.escape(kind[2])}</td><td>{size / 1e6:.1f} MB</td>"
            f'<td class="checksum"><code>{checksum}</code></td></tr>'
        )
    missing = [kind[2] for kind in KINDS if kind[0] not in names]
    if missing:
        fail("SHA256SUMS has no " + ", no ".join(missing))
    table = (
        "<table>\n<thead><tr><th>File</th><th>What it is</th><th>Size</th><th>SHA-256</th></tr></thead>\n<tbody>\n"
        + "\n".join(rows)
        + "\n</tbody>\n</table>"
    )
    return table, {key: html.escape(name) for key, name in names.items()}


def product_version():
    """The version the programs carry, from the one place the packaging reads it."""
    script = os.path.join(TOP, "tools", "package", "product.sh")
    result = subprocess.run(["bash", "-c", f'source "{script}" && printf %s "$PRODUCT_VERSION"'],
                            capture_output=True, text=True)
    if result.returncode != 0 or not result.stdout:
        fail(f"cannot read the version: {result.stderr.strip()}")
    return result.stdout


def licence():
    """The licence text of debian/copyright, as paragraphs."""
    with open(os.path.join(TOP, "debian", "copyright"), encoding="utf-8") as file:
        stanzas = file.read().split("\n\n")
    for stanza in stanzas:
        lines = stanza.strip("\n").split("\n")
        # The stand-alone licence stanza: its first line names it, the text follows indented.
        if lines[0].startswith("License:") and len(lines) > 1 and all(line.startswith(" ") for line in lines[1:]):
            paragraphs = " ".join(line.strip() for line in lines[1:]).split(" . ")
            return "\n    ".join(f"<p>{html.escape(text.strip())}</p>" for text in paragraphs)
    fail("debian/copyright has no licence text")


def draw_pool(path):
    """The default picture: a pool's tiled floor with its lane mark, lit from the upper left."""
    width, height = 1920, 1080
    command = [
        "/usr/bin/convert",
        "(", "-size", "60x60", "xc:#5cc8e2", "-fill", "#e9fbff",
        "-draw", "rectangle 0,0 59,2", "-draw", "rectangle 0,0 2,59", "-write", "mpr:tile", "+delete", ")",
        "-size", f"{width}x{height}", "tile:mpr:tile",
        "-fill", "#1d4f8f", "-draw", "rectangle 243,633 1676,692",
        "-draw", "rectangle 243,453 302,872", "-draw", "rectangle 1617,453 1676,872",
        "(", "-size", f"{width}x{height}", "-define", "gradient:center=560,260",
        "-define", "gradient:radii=1500,1100", "radial-gradient:#ffffff-#808080", ")",
        "-compose", "soft-light", "-composite",
        "(", "-size", f"{width}x{height}", "gradient:#ffffff-#6f93b0", ")", "-compose", "multiply", "-composite",
        "-strip", "-sampling-factor", "4:4:4", "-quality", "90", path,
    ]
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0 or not os.path.isfile(path):
        fail(f"ImageMagick could not draw the pool: {result.stderr.strip()}")


def main():
    for name in MODULES:
        if not os.path.isfile(os.path.join(args.modules, name)):
            fail(f"{name} is missing in {args.modules}: build the web preset")
    entries = read_checksums(args.dist)
    table, names = describe(entries, args.dist)

    out = args.out
    if os.path.exists(out):
        shutil.rmtree(out)
    os.makedirs(os.path.join(out, "downloads"))
    with open(os.path.join(HERE, "site", "index.html"), encoding="utf-8") as file:
        page = string.Template(file.read()).substitute(
            version=html.escape(product_version()), downloads=table, licence=licence(), **names)
    with open(os.path.join(out, "index.html"), "w", encoding="utf-8") as file:
        file.write(page)
    for name in PAGE_FILES:
        shutil.copyfile(os.path.join(HERE, "site", name), os.path.join(out, name))
    for name in MODULES:
        shutil.copyfile(os.path.join(args.modules, name), os.path.join(out, name))
    # The saver's own icon.
    shutil.copyfile(os.path.join(TOP, "resources", "Vellumar.ico"), os.path.join(out, "favicon.ico"))
    draw_pool(os.path.join(out, "pool.jpg"))
    for name, _ in entries:
        shutil.copyfile(os.path.join(args.dist, name), os.path.join(out, "downloads", name))
    shutil.copyfile(os.path.join(args.dist, "SHA256SUMS"), os.path.join(out, "downloads", "SHA256SUMS"))


parser = argparse.ArgumentParser(description="Build the home page.")
parser.add_argument("--modules", required=True)
parser.add_argument("--dist", required=True)
parser.add_argument("--out", required=True)
args = parser.parse_args()
main()
