#!/usr/bin/python3
"""Download sites for the site check tests, on 127.0.0.1 only.

usage: site_server.py CONFIG LOG PORTS [CERT KEY]

Listens on PORTS free ports (each port stands for one host), and with CERT
and KEY on one more port with TLS. Prints "PORTS p1 p2 ..." (the TLS port
last) once it listens. CONFIG is a JSON file read again for every request:

  {"routes": {"/x": {"status": 404, "reason": "Not Found",
                     "location": "/y",          Location header (with a 3xx status)
                     "head_status": 405,        the status for HEAD instead
                     "delay": 0.2,              seconds before the answer
                     "hang": true,              never answer at all
                     "endless": true,           send the headers, then a body that never ends
                     "close": true,             close the connection without an answer
                     "cookie": "id=1"}},        Set-Cookie header
   "default": {...}}                            for paths without a route (else 200 OK)

Every request is noted in LOG.started when it arrives, and appended to LOG
when it has been answered as one JSON line: method, port, path,
cookie, authorization, user_agent, start and end (monotonic seconds; end when the answer's headers go out). The
server ends when its stdin ends.
"""

import json
import os
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CONFIG, LOG = sys.argv[1], sys.argv[2]
LOCK = threading.Lock()


def load_config():
    try:
        with open(CONFIG, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return {}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def end_headers(self):
        # Nothing reaches the client before this: the request's span ends here,
        # so a busy machine cannot stretch it past the client's next request.
        self.answered = time.monotonic()
        super().end_headers()

    def handle_any(self, method):
        start = time.monotonic()
        self.answered = None
        with LOCK, open(LOG + ".started", "a", encoding="utf-8") as f:
            f.write(method + " " + self.path + "\n")
        config = load_config()
        route = config.get("routes", {}).get(self.path.split("?")[0], config.get("default", {}))
        try:
            self.answer(method, route)
        finally:
            entry = {"method": method, "port": self.server.server_address[1], "path": self.path,
                     "cookie": self.headers.get("Cookie"), "authorization": self.headers.get("Authorization"),
                     "user_agent": self.headers.get("User-Agent"), "start": start,
                     "end": self.answered if self.answered is not None else time.monotonic()}
            with LOCK, open(LOG, "a", encoding="utf-8") as f:
                f.write(json.dumps(entry) + "\n")

    def answer(self, method, route):
        if route.get("delay"):
            time.sleep(route["delay"])
        if route.get("hang"):
            time.sleep(3600)
            return
        if route.get("close"):
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        status = route.get("status", 200)
        if method == "HEAD" and "head_status" in route:
            status = route["head_status"]
        body = b"<html><body>page</body></html>"
        self.send_response(status, route.get("reason"))
        if "location" in route:
            self.send_header("Location", route["location"])
        if "cookie" in route:
            self.send_header("Set-Cookie", route["cookie"])
        self.send_header("Content-Type", "text/html")
        if route.get("endless"):
            self.send_header("Content-Length", "1000000000")
            self.end_headers()
            if method == "HEAD":
                return
            try:
                while True:
                    self.wfile.write(b"x" * 100)
                    self.wfile.flush()
                    time.sleep(0.05)
            except OSError:
                return
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if method != "HEAD":
            self.wfile.write(body)

    def do_HEAD(self):
        self.handle_any("HEAD")

    def do_GET(self):
        self.handle_any("GET")


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass


def exit_with_parent():
    sys.stdin.buffer.read()
    os._exit(0)


def main():
    threading.Thread(target=exit_with_parent, daemon=True).start()
    servers = [Server(("127.0.0.1", 0), Handler) for _ in range(int(sys.argv[3]))]
    if len(sys.argv) > 5:
        tls = Server(("127.0.0.1", 0), Handler)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[4], sys.argv[5])
        tls.socket = context.wrap_socket(tls.socket, server_side=True)
        servers.append(tls)
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print("PORTS " + " ".join(str(s.server_address[1]) for s in servers), flush=True)
    threading.Event().wait()


if __name__ == "__main__":
    main()
