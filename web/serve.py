#!/usr/bin/python3
"""Serves a folder on this machine's loopback address, as any static host would, and prints its
address. Used by ./run site and by the browser tests.

    serve.py FOLDER [--port N]    (port 0, the default, takes a free one; so does a taken port)
"""
import argparse
import functools
import http.server
import sys
import threading


class Handler(http.server.SimpleHTTPRequestHandler):
    # Types that a static host gives; the modules load as WebAssembly only with theirs.
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".js": "text/javascript",
        ".css": "text/css",
        ".deb": "application/vnd.debian.binary-package",
        ".msi": "application/x-msi",
    }

    def end_headers(self):
        # Every load sees the files as they are now.
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, format, *args):
        pass


def start(folder, port=0):
    """A running server for `folder` on a thread of its own, and its address."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), functools.partial(Handler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def main():
    parser = argparse.ArgumentParser(description="Serve a folder on 127.0.0.1.")
    parser.add_argument("folder")
    parser.add_argument("--port", type=int, default=0)
    options = parser.parse_args()
    try:
        server, address = start(options.folder, options.port)
    except OSError as error:
        if options.port == 0:
            sys.exit(f"serve.py: cannot serve: {error.strerror}")
        print(f"Port {options.port} is taken ({error.strerror}): taking a free one", flush=True)
        server, address = start(options.folder, 0)
    print(f"Serving {options.folder} at {address} (Ctrl+C ends it)", flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        server.shutdown()


if __name__ == "__main__":
    main()
