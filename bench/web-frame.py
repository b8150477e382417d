#!/usr/bin/python3
"""Time per frame of the page's two WebAssembly modules in headless Chromium at 1920x1080,
beside the native SSE2 kernel in the same run; prints a table. A benchmark: nothing passes
or fails.

    web-frame.py --modules DIR --bench VELLUMAR_BENCH --work DIR [--runs N]

A frame is what the standard schedule does in 60 ms, as in vellumar_bench's Frame runs: the
module's time for frames 201 to 500 of std:500, taken as the difference between the page's
replays of std:500 and std:200, on the same busy picture as vellumar_bench's. Both sides are
CPU time of the thread that runs the water (the page's main thread, from Chromium's own
metrics), so that other programs on the machine do not count; each figure of a run is the best
of three.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "web"))
import BrowserTest  # noqa: E402
import serve  # noqa: E402

WIDTH, HEIGHT = 1920, 1080
WARM_UP, TIMED = 200, 300
BEST_OF = 3


def busy_rows():
    """vellumar_bench's picture: pixel k of the bottom-up buffer is k * 2654435761, 24 bits."""
    return [[tuple((((row * WIDTH + c) * 2654435761) >> shift) & 255 for shift in (16, 8, 0)) for c in range(WIDTH)]
            for row in range(HEIGHT - 1, -1, -1)]


def main_thread_seconds(browser):
    metrics = browser.cdp("Performance.getMetrics")["metrics"]
    return next(metric["value"] for metric in metrics if metric["name"] == "ThreadTime")


def module_ms(browser, address, frames, simd):
    """The page's main-thread CPU, in ms, for loading it and replaying `frames` frames (Chromium
    counts it for each page from its start)."""
    browser.open(f"{address}?replay=std:{frames}&picture=busy.png{'' if simd else '&simd=0'}")
    browser.wait("(document.getElementById('replay-result') || {dataset: {}}).dataset.ms", "the replay", timeout=120)
    return main_thread_seconds(browser) * 1e3


def native_ms(bench, work):
    out = os.path.join(work, "native.json")
    subprocess.run([bench, f"--benchmark_filter=^FrameSSE2/{WIDTH}x{HEIGHT}/", f"--benchmark_out={out}",
                    "--benchmark_out_format=json"], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(out) as file:
        return json.load(file)["benchmarks"][0]["cpu_time"]


def main():
    parser = argparse.ArgumentParser(description="The page's modules against the native SSE2 kernel.")
    parser.add_argument("--modules", required=True)
    parser.add_argument("--bench", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runs", type=int, default=3)
    options = parser.parse_args()
    work = os.path.abspath(options.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    site, _ = BrowserTest.build_site(options.modules, work)
    BrowserTest.write_png(os.path.join(site, "busy.png"), busy_rows())
    server, address = serve.start(site)
    browser = BrowserTest.Browser(work)
    browser.cdp("Performance.enable", {"timeDomain": "threadTicks"})
    print(f"CPU ms per frame at {WIDTH}x{HEIGHT}, frames {WARM_UP + 1}-{WARM_UP + TIMED} of the standard schedule")
    print(f"{'run':>3} {'native SSE2':>12} {'wasm SIMD':>10} {'ratio':>6} {'wasm portable':>14} {'ratio':>6}")
    try:
        for run in range(1, options.runs + 1):
            native = min(native_ms(options.bench, work) for _ in range(BEST_OF))
            row = [f"{run:>3}", f"{native:12.2f}"]
            for simd in (True, False):
                frame = min((module_ms(browser, address, WARM_UP + TIMED, simd) - module_ms(browser, address, WARM_UP, simd))
                            / TIMED for _ in range(BEST_OF))
                row += [f"{frame:{10 if simd else 14}.2f}", f"{frame / native:6.2f}"]
            print(" ".join(row), flush=True)
    finally:
        browser.close()
        server.shutdown()


if __name__ == "__main__":
    main()
