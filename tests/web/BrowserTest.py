#!/usr/bin/python3
"""The home page in Debian's Chromium, headless, driven through WebDriver and served from
127.0.0.1 as any static host serves it:

    BrowserTest.py --modules DIR --render VELLUMAR_RENDER --work DIR

It builds the site from the two modules in DIR and a stand-in release (four small files and
their SHA256SUMS), adds pictures of its own and checks:
- replays with both modules, at an odd size (PNG) and an even one (BMP), bit for bit against
  vellumar-render on the same files;
- the canvas's first frame is the picture, put while the canvas is still hidden over the same
  picture as the page's background;
- frames at the timers' pace; none while the tab is hidden; again once it is back;
- the canvas at device pixels, and a new size restarts the water there; a size beyond the
  module's memory leaves the picture still with one line, and the water comes back after; each
  module refuses a picture its memory cannot grow to, and starts on the next;
- reduced motion starts still, with a button that starts the water;
- a broken picture (by address, file choice or drop) gets its line and the pool; a good one
  dropped or chosen replaces the pool;
- the desktop through Chromium's stand-in screen: full screen, ended by a key, a click, or a
  move of the mouse after the first, not by the wheel; a refused capture and a browser without
  capture get their line and the pool;
- hostile addresses; the downloads and their checksums; the sizes of the modules and the page;
- no console errors anywhere.
Each check prints its name and time; the exit status is 1 when any failed.
"""
import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.request
import zlib

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(TOP, "web"))
import serve  # noqa: E402

CHROMIUM = "/usr/lib/chromium/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--window-size=1280,720"]
# Chromium's stand-in for the screen and its capture dialog, granting or refusing.
CAPTURE_GRANTED = ["--use-fake-ui-for-media-stream", "--use-fake-device-for-media-stream"]
CAPTURE_REFUSED = ["--use-fake-ui-for-media-stream=deny", "--use-fake-device-for-media-stream"]

REPLAY_FRAMES = 200
MODULE_LIMIT = 64 * 1024
PAGE_LIMIT = 300 * 1024
STAND_IN_RELEASE = ("Vellumar-1.0.0.1-x64.msi", "Vellumar-1.0.0.1-x86.msi", "Vellumar-1.0.0.1-windows.zip",
                    "vellumar_1.0.0.1_amd64.deb")

# Runs in every page before its own script: what the canvas is given and which pictures load.
WATCH = r"""
window.__watch = { puts: [], images: [] };
const hex = buffer => [...new Uint8Array(buffer)].map(b => b.toString(16).padStart(2, '0')).join('');
const put = CanvasRenderingContext2D.prototype.putImageData;
CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
  if (this.canvas.id === 'water') {
    const entry = { at: performance.now(), width: image.width, height: image.height,
                    shown: this.canvas.classList.contains('shown'), hidden: document.hidden };
    if (__watch.puts.length === 0)
      crypto.subtle.digest('SHA-256', image.data.slice()).then(d => { entry.sha256 = hex(d); });
    __watch.puts.push(entry);
  }
  return put.call(this, image, ...rest);
};
const source = Object.getOwnPropertyDescriptor(HTMLImageElement.prototype, 'src');
Object.defineProperty(HTMLImageElement.prototype, 'src', {
  get() { return source.get.call(this); },
  set(value) { __watch.images.push(String(value)); source.set.call(this, value); },
});
"""


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# ---- pictures and hashes

def fnv1a64(data):
    value = 0xCBF29CE484222325
    for byte in data:
        value = ((value ^ byte) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return f"{value:016x}"


def pattern(width, height):
    """Rows top-down of (red, green, blue): edges everywhere, every channel its own."""
    return [[((x * 3 + y) & 255, (x ^ y) & 255, (y * 5 + 40 - x) & 255) for x in range(width)] for y in range(height)]


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(channel for pixel in row for channel in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                   + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    padding = b"\0" * ((4 - width * 3 % 4) % 4)
    data = b"".join(bytes(channel for r, g, b in row for channel in (b, g, r)) + padding for row in reversed(rows))
    header = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
    header += struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as file:
        file.write(header + data)


def canvas_sha256(rows):
    """SHA-256 of the canvas pixels that show `rows`: red, green, blue, opaque."""
    return hashlib.sha256(b"".join(bytes(channel for pixel in row for channel in (*pixel, 255)) for row in rows)).hexdigest()


def render_result(render, picture, work):
    """vellumar-render's last frame of the standard replay, as the page reports it."""
    output = os.path.join(work, "render.bmp")
    subprocess.run([render, "--source", picture, "--ticks", f"std:{REPLAY_FRAMES}", "--output", output], check=True)
    with open(output, "rb") as file:
        data = file.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    return f"{width}x{height} {fnv1a64(data[offset:offset + width * height * 4])}"


# ---- the browser

class Browser:
    def __init__(self, work, flags=()):
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in [*FLAGS, f"--user-data-dir={tempfile.mkdtemp(prefix='profile-', dir=work)}", *flags]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.set_script_timeout(30)
        self.before_load(WATCH)

    def before_load(self, script):
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": script})

    def cdp(self, command, arguments=None):
        return self.driver.execute_cdp_cmd(command, arguments or {})

    def open(self, address):
        self.driver.get(address)

    def js(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def wait(self, expression, what, timeout=20):
        """The value of `expression` once it is truthy."""
        end = time.monotonic() + timeout
        while True:
            value = self.js(f"return {expression};")
            if value:
                return value
            if time.monotonic() > end:
                raise Failure(f"{what}: not within {timeout} s")
            time.sleep(0.05)

    def puts(self):
        return self.js("return __watch.puts.length;")

    def status(self):
        return self.js("return document.getElementById('status').textContent;")

    def console_errors(self):
        return [entry["message"] for entry in self.driver.get_log("browser") if entry["level"] == "SEVERE"]

    def close(self):
        try:
            self.driver.quit()
        except WebDriverException:
            pass


def water_running(browser, what, frames=3):
    """Waits for `frames` more frames on the canvas, each at the canvas's own size."""
    start = browser.puts()
    browser.wait(f"__watch.puts.length >= {start + frames}", f"{what}: the water runs")
    last = browser.js("return __watch.puts[__watch.puts.length - 1];")
    size = browser.js("const c = document.getElementById('water'); return [c.width, c.height];")
    check([last["width"], last["height"]] == size, f"{what}: a frame of {last['width']}x{last['height']} on a canvas of {size}")
    return size


# ---- the checks

def check_sizes(site, _):
    for name in ("vellumar-simd.wasm", "vellumar-plain.wasm"):
        size = os.path.getsize(os.path.join(site, name))
        check(size <= MODULE_LIMIT, f"{name} is {size} bytes, over {MODULE_LIMIT}")
        print(f"    {name}: {size} bytes")
    page = sum(os.path.getsize(os.path.join(site, name))
               for name in ("index.html", "vellumar.js", "vellumar.css", "favicon.ico", "vellumar-simd.wasm",
                            "vellumar-plain.wasm"))
    check(page <= PAGE_LIMIT, f"the page without its picture is {page} bytes, over {PAGE_LIMIT}")
    print(f"    the page without its picture, both modules counted: {page} bytes")


def check_downloads(browser, address, release):
    browser.open(address)
    for name in STAND_IN_RELEASE:
        with open(os.path.join(release, name), "rb") as file:
            checksum = hashlib.sha256(file.read()).hexdigest()
        row = browser.js("""
            const link = document.querySelector(`a[href="downloads/${arguments[0]}"]`);
            return link && link.closest('tr').textContent;""", name)
        check(row and checksum in row, f"the downloads list {name} without its checksum {checksum}")
        with urllib.request.urlopen(f"{address}downloads/{name}") as response:
            check(hashlib.sha256(response.read()).hexdigest() == checksum, f"downloads/{name} is not the release's file")
    with urllib.request.urlopen(f"{address}downloads/SHA256SUMS") as response:
        with open(os.path.join(release, "SHA256SUMS"), "rb") as file:
            check(response.read() == file.read(), "downloads/SHA256SUMS is not the release's")
    licence = browser.js("return document.getElementById('licence').textContent;")
    check("All rights reserved" in licence, f"the licence reads {licence!r}")


def check_replays(browser, address, expected):
    for name, result in expected.items():
        for simd, module in (("", "SIMD"), ("&simd=0", "portable")):
            browser.open(f"{address}?replay=std:{REPLAY_FRAMES}&picture={name}{simd}")
            text = browser.wait("((document.getElementById('replay-result') || {}).textContent || '')"
                                ".match(/^(\\d+x\\d+ [0-9a-f]{16}|error: .*)$/)", f"the replay of {name}")[0]
            shown = browser.js("return document.getElementById('replay-result').dataset.module;")
            check(shown == module, f"{name}{simd}: the {shown} module ran, not the {module} one")
            check(text == result, f"{name} with the {module} module: {text!r}, vellumar-render: {result!r}")
            print(f"    {module:8} {name}: {text}")


def check_first_frame(browser, address, site):
    browser.open(address)
    browser.wait("__watch.puts.length > 0", "the pool's first frame")
    first = browser.js("return __watch.puts[0];")
    check(not first["shown"], "the canvas was shown before its first frame")
    background = browser.js("return getComputedStyle(document.documentElement).backgroundImage;")
    check("pool.jpg" in background, f"the page's background behind the canvas is {background!r}, not the pool")
    width, height = water_running(browser, "the pool")

    # A picture of exactly the canvas's size is drawn one to one: its pixels are the first frame.
    rows = pattern(width, height)
    write_png(os.path.join(site, "exact.png"), rows)
    browser.open(f"{address}?picture=exact.png")
    first = browser.wait("__watch.puts[0] && __watch.puts[0].sha256 && __watch.puts[0]", "the picture's first frame")
    check(not first["shown"], "the canvas was shown before its first frame")
    check([first["width"], first["height"]] == [width, height], f"the first frame is {first['width']}x{first['height']}")
    check(first["sha256"] == canvas_sha256(rows), "the first frame is not the picture")
    check(browser.js("return getComputedStyle(document.getElementById('water')).opacity;") == "1",
          "the canvas is not shown after its first frame")


def check_pace_and_hidden_tab(browser, address):
    browser.open(address)
    browser.wait("__watch.puts.length > 0", "the first frame")
    time.sleep(1.5)
    puts = browser.js("return __watch.puts.map(p => p.at);")
    span = puts[-1] - puts[0]
    # One frame per 60 ms of the schedule, whatever the display's rate.
    check(len(puts) - 1 <= span / 60 + 1, f"{len(puts) - 1} frames in {span:.0f} ms: faster than the saver's pace")
    check(len(puts) >= 8, f"only {len(puts)} frames in {span:.0f} ms")

    page = browser.driver.current_window_handle
    browser.driver.switch_to.new_window("tab")
    time.sleep(1)
    browser.driver.close()
    browser.driver.switch_to.window(page)
    browser.wait("!document.hidden", "the tab visible again")
    water_running(browser, "after the tab came back")
    hidden = browser.js("return __watch.puts.filter(p => p.hidden).length;")
    check(hidden == 0, f"{hidden} frames drawn while the tab was hidden")
    gap = browser.js("const at = __watch.puts.map(p => p.at); return Math.max(...at.slice(1).map((t, k) => t - at[k]));")
    check(gap >= 900, f"the water did not stop while the tab was hidden (longest pause {gap:.0f} ms)")


def check_device_pixels_and_resizes(browser, address):
    browser.open(address)
    water_running(browser, "the pool")
    browser.driver.set_window_size(900, 650)
    browser.wait("(c => c.width === Math.round(c.clientWidth * devicePixelRatio))(document.getElementById('water'))",
                 "the canvas follows the window")
    water_running(browser, "after the window's resize")

    browser.cdp("Emulation.setDeviceMetricsOverride", {"width": 640, "height": 480, "deviceScaleFactor": 2, "mobile": False})
    browser.wait("(c => c.width === 2 * c.clientWidth && c.width > 1000)(document.getElementById('water'))",
                 "the canvas at two device pixels a pixel")
    water_running(browser, "at two device pixels a pixel")

    # About 16000 x 12000 device pixels: more than the module's memory can hold.
    browser.cdp("Emulation.setDeviceMetricsOverride", {"width": 4000, "height": 3000, "deviceScaleFactor": 4, "mobile": False})
    browser.wait("document.getElementById('status').dataset.kind === 'memory'", "the line about memory")
    check("needs more memory" in browser.status(), f"the memory line reads {browser.status()!r}")
    check(browser.js("return document.getElementById('water').classList.contains('shown');"), "no picture shown")
    browser.cdp("Emulation.clearDeviceMetricsOverride")
    browser.wait("document.getElementById('status').textContent === ''", "the memory line gone once the water fits")
    water_running(browser, "back at the window's size")


def check_module_memory(browser, address):
    """Each module refuses a picture whose water its memory cannot grow to, and goes on."""
    browser.open(address)
    for module in ("vellumar-simd.wasm", "vellumar-plain.wasm"):
        result = browser.driver.execute_async_script("""
            const [name, done] = arguments;
            fetch(name).then(r => r.arrayBuffer()).then(bytes => WebAssembly.instantiate(bytes, {
              env: { emscripten_notify_memory_growth() {} },
              wasi_snapshot_preview1: { proc_exit(code) { throw new Error('exit ' + code); } },
            })).then(({ instance }) => {
              const calls = instance.exports;
              calls._initialize();
              // 8000 x 6000 needs over 1 GiB with its pictures: more than the memory can grow to.
              const refused = calls.vellumar_prepare(8000, 6000);
              const grown = calls.memory.buffer.byteLength;
              const small = calls.vellumar_prepare(640, 480) !== 0 && calls.vellumar_start(0) === 1;
              done({ refused, grown, small });
            }).catch(error => done({ error: String(error) }));""", module)
        check("error" not in result, f"{module}: {result.get('error')}")
        check(result["refused"] == 0, f"{module} took a picture beyond its memory")
        check(result["grown"] < 64 << 20, f"{module} kept {result['grown']} bytes after refusing")
        check(result["small"], f"{module} did not start on a small picture after refusing a large one")


def check_reduced_motion(browser, address):
    browser.cdp("Emulation.setEmulatedMedia", {"features": [{"name": "prefers-reduced-motion", "value": "reduce"}]})
    try:
        browser.open(address)
        browser.wait("__watch.puts.length > 0", "the picture")
        time.sleep(0.6)
        check(browser.puts() == 1, f"{browser.puts()} frames drawn, still asked for")
        button = browser.driver.find_element(By.ID, "play")
        check(button.text == "Start the water", f"the button reads {button.text!r}")
        button.click()
        water_running(browser, "after 'Start the water'")
    finally:
        browser.cdp("Emulation.setEmulatedMedia", {"features": []})


def drop_file(browser, name, content_from):
    """Drops a file named `name` holding the bytes of the site's `content_from` onto the page."""
    browser.driver.execute_async_script("""
        const [name, from, done] = arguments;
        fetch(from).then(r => r.blob()).then(blob => {
          const transfer = new DataTransfer();
          transfer.items.add(new File([blob], name));
          document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
          done();
        });""", name, content_from)


def check_pictures(browser, address, site):
    browser.open(f"{address}?picture=broken.png")
    browser.wait("document.getElementById('status').textContent.includes('broken.png')", "the broken picture's line")
    check("pool.jpg" in browser.js("return __watch.images.join(' ');"), "the pool did not replace the broken picture")
    water_running(browser, "on the pool after a broken picture")

    browser.open(address)
    water_running(browser, "the pool")
    chooser = browser.driver.find_element(By.ID, "file")
    chooser.send_keys(os.path.join(site, "broken.png"))
    browser.wait("document.getElementById('status').textContent.includes('broken.png')", "the broken file's line")
    chooser.send_keys(os.path.join(site, "odd.png"))
    browser.wait("document.getElementById('status').textContent === ''", "the chosen picture replacing the line")
    water_running(browser, "on a chosen picture")
    drop_file(browser, "dropped.txt", "broken.png")
    browser.wait("document.getElementById('status').textContent.includes('dropped.txt')", "the dropped file's line")
    drop_file(browser, "dropped.bmp", "even.bmp")
    browser.wait("document.getElementById('status').textContent === ''", "the dropped picture replacing the line")
    water_running(browser, "on a dropped picture")


def check_hostile_addresses(browser, address):
    replays = {
        "?replay=std:0&picture=odd.png": "error: invalid tick list 'std:0': std:N takes N from 1 to 1000000",
        "?replay=&picture=odd.png": "error: the tick list is empty",
        "?replay=1,%00,3&picture=odd.png": "error: invalid tick list: item 2 '?' is not a timer identifier",
        "?replay=std:99999999999999999999&picture=odd.png": "error: invalid tick list",
        "?replay=std:3&picture=../build-site.py": "error: picture= takes the name",
        "?replay=std:3&picture=%2Fetc%2Fpasswd": "error: picture= takes the name",
        "?replay=std:3": "error: picture= takes the name",
        "?replay=std:3&picture=broken.png": "error: broken.png is not a picture",
        "?replay=std:3&picture=index.html.png": "error: index.html.png: 404",
    }
    for query, expected in replays.items():
        browser.open(address + query)
        text = browser.wait("((document.getElementById('replay-result') || {}).textContent || '')"
                            ".match(/^(\\d+x\\d+ [0-9a-f]{16}|error: .*)$/)", query)[0]
        check(text.startswith(expected), f"{query}: {text!r}")
        if "404" in expected:
            browser.console_errors()  # the missing file's own line in the console, as expected
    browser.open(f"{address}?replay=std:2&picture=even.bmp&simd=banana")
    browser.wait("(document.getElementById('replay-result') || {dataset: {}}).dataset.frames === '2'", "simd=banana")
    check(browser.js("return document.getElementById('replay-result').dataset.module;") == "SIMD",
          "simd= other than 0 did not keep the SIMD module")
    browser.open(f"{address}?picture=%3Cimg%20src%3Dx%20onerror%3Dalert(1)%3E")
    browser.wait("document.getElementById('status').textContent.includes('picture=')", "a hostile picture name")
    check(not browser.js("return document.querySelector('#status img');"), "the picture name became markup")
    water_running(browser, "on the pool after a hostile picture name")


def check_desktop_saver(browser, address):
    browser.open(address)
    water_running(browser, "the pool")

    def start_saver():
        browser.driver.find_element(By.ID, "desktop").click()
        browser.wait("document.fullscreenElement && document.body.classList.contains('saver')", "the saver full screen")
        browser.wait("(c => c.width === Math.round(c.clientWidth * devicePixelRatio))(document.getElementById('water'))",
                     "the water at the screen's size")
        water_running(browser, "the saver")

    def running():
        return browser.js("return !!document.fullscreenElement && document.body.classList.contains('saver');")

    def ended(how):
        browser.wait("!document.fullscreenElement && !document.body.classList.contains('saver')", f"the saver ended by {how}")
        water_running(browser, f"on the page after {how}")

    start_saver()
    check(browser.js("return getComputedStyle(document.body).cursor;") == "none", "the pointer shows over the saver")
    ActionChains(browser.driver).move_by_offset(0, 0).perform()
    ActionChains(browser.driver).move_by_offset(0, 0).perform()
    ActionChains(browser.driver).scroll_by_amount(0, 200).perform()
    time.sleep(0.3)
    check(running(), "the first move of the mouse, a move to the same place or the wheel ended the saver")
    ActionChains(browser.driver).move_by_offset(1, 0).perform()
    ended("a move of one pixel")

    start_saver()
    ActionChains(browser.driver).send_keys(" ").perform()
    ended("a key")

    start_saver()
    ActionChains(browser.driver).click().perform()
    ended("a click")
    check(browser.status() == "", f"the saver left the line {browser.status()!r}")


def check_refused_capture(browser, address):
    browser.open(address)
    water_running(browser, "the pool")
    browser.driver.find_element(By.ID, "desktop").click()
    browser.wait("document.getElementById('status').textContent.includes('refused')", "the refused capture's line")
    check(not browser.js("return !!document.fullscreenElement;"), "full screen after a refused capture")
    water_running(browser, "on the pool after a refused capture")

    browser.before_load("delete MediaDevices.prototype.getDisplayMedia;")
    browser.open(f"{address}?picture=odd.png")
    water_running(browser, "on a picture")
    browser.driver.find_element(By.ID, "desktop").click()
    browser.wait("document.getElementById('status').textContent.includes('does not offer')", "no capture's line")
    check(browser.js("return __watch.images.some(src => src.endsWith('pool.jpg'));"),
          "the pool did not come back without a capture")
    water_running(browser, "on the pool without capture")


# ---- the run

def build_site(modules, work):
    """The site in WORK/site, offering a stand-in release (WORK/release) of small files."""
    release = os.path.join(work, "release")
    os.makedirs(release)
    for number, name in enumerate(STAND_IN_RELEASE):
        with open(os.path.join(release, name), "wb") as file:
            file.write(bytes(range(number, 256)) * 100)
    subprocess.run("sha256sum -- * > SHA256SUMS", shell=True, cwd=release, check=True)
    site = os.path.join(work, "site")
    subprocess.run([os.path.join(TOP, "web", "build-site.py"), "--modules", modules, "--dist", release,
                    "--out", site], check=True)
    return site, release


def main():
    parser = argparse.ArgumentParser(description="The home page's browser tests.")
    parser.add_argument("--modules", required=True)
    parser.add_argument("--render", required=True)
    parser.add_argument("--work", required=True)
    options = parser.parse_args()
    work = os.path.abspath(options.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    site, release = build_site(options.modules, work)

    pictures = {"odd.png": (1023, 767, write_png), "even.bmp": (640, 480, write_bmp)}
    expected = {}
    for name, (width, height, write) in pictures.items():
        write(os.path.join(site, name), pattern(width, height))
        expected[name] = render_result(options.render, os.path.join(site, name), work)
    with open(os.path.join(site, "broken.png"), "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 8)

    server, address = serve.start(site)
    checks = [
        ("sizes", lambda: check_sizes(site, None)),
        ("downloads and licence", lambda: check_downloads(page, address, release)),
        ("replays bit for bit against vellumar-render", lambda: check_replays(page, address, expected)),
        ("the first frame is the picture", lambda: check_first_frame(page, address, site)),
        ("the saver's pace; a hidden tab", lambda: check_pace_and_hidden_tab(page, address)),
        ("device pixels, resizes, too large for memory", lambda: check_device_pixels_and_resizes(page, address)),
        ("a picture beyond the modules' memory", lambda: check_module_memory(page, address)),
        ("reduced motion", lambda: check_reduced_motion(page, address)),
        ("broken and chosen pictures", lambda: check_pictures(page, address, site)),
        ("hostile addresses", lambda: check_hostile_addresses(page, address)),
        ("the desktop under water, full screen", lambda: check_desktop_saver(saver, address)),
        ("a refused capture, no capture", lambda: check_refused_capture(refused, address)),
    ]
    failed = []
    started = time.monotonic()
    page = Browser(work)
    saver = Browser(work, CAPTURE_GRANTED)
    refused = Browser(work, CAPTURE_REFUSED)
    try:
        for name, run in checks:
            begun = time.monotonic()
            try:
                run()
                errors = [*page.console_errors(), *saver.console_errors(), *refused.console_errors()]
                check(not errors, "console errors: " + " | ".join(errors))
                print(f"ok   {name} ({time.monotonic() - begun:.1f} s)", flush=True)
            except (Failure, WebDriverException, subprocess.CalledProcessError) as error:
                failed.append(name)
                print(f"FAIL {name}: {error}", flush=True)
                if not isinstance(error, Failure):
                    traceback.print_exc()
    finally:
        for browser in (page, saver, refused):
            browser.close()
        server.shutdown()
    print(f"{len(checks) - len(failed)} of {len(checks)} browser checks passed in {time.monotonic() - started:.0f} s")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
