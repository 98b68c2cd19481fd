#!/usr/bin/env python3
"""Serves the test pages of one folder on two loopback ports, so that a page can
hold frames of its own origin and of another one.

Usage: page_server.py FOLDER

Each server listens on 127.0.0.1 on a free port. The first line written to
stdout is "PORTS <first> <second>". In an .html file the text @OTHER@ is
replaced by the origin of the other server and @SELF@ by the server's own.
The servers stop when stdin is closed or on SIGTERM.
"""

import http.server
import os
import signal
import sys
import threading


class PageHandler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, request, client_address, server):
        super().__init__(request, client_address, server, directory=server.root)

    def log_message(self, format, *args):
        pass

    def send_head(self):
        path = self.translate_path(self.path)
        if not path.endswith(".html") or not os.path.isfile(path):
            return super().send_head()
        with open(path, "rb") as page:
            body = page.read()
        body = body.replace(b"@OTHER@", self.server.other_origin.encode())
        body = body.replace(b"@SELF@", self.server.origin.encode())
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        return _Body(body)


class _Body:
    def __init__(self, data):
        self.data = data

    def read(self, *args):
        data, self.data = self.data, b""
        return data

    def close(self):
        pass


def main():
    if len(sys.argv) != 2 or not os.path.isdir(sys.argv[1]):
        sys.stderr.write("usage: page_server.py FOLDER\n")
        return 2
    root = os.path.abspath(sys.argv[1])
    servers = [http.server.ThreadingHTTPServer(("127.0.0.1", 0), PageHandler) for _ in range(2)]
    for server in servers:
        server.root = root
        server.daemon_threads = True
        server.origin = "http://127.0.0.1:%d" % server.server_address[1]
    servers[0].other_origin = servers[1].origin
    servers[1].other_origin = servers[0].origin
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *args: stop.set())
    sys.stdout.write("PORTS %d %d\n" % (servers[0].server_address[1], servers[1].server_address[1]))
    sys.stdout.flush()
    threading.Thread(target=lambda: (sys.stdin.read(), stop.set()), daemon=True).start()
    stop.wait()
    for server in servers:
        server.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
