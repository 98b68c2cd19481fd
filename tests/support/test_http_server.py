#!/usr/bin/python3
"""A web server for the tests, on 127.0.0.1 only.

usage: test_http_server.py STATE HOSTS [CERT KEY]

Listens on HOSTS free ports (each stands for a host), with CERT and KEY on one
more with TLS, and prints "PORTS p1 p2 ..." (the TLS port last). Serves the
files under STATE/root. STATE/config.json is read again for every request:

  {"auth": {"/members/": {"user": "u", "password": "p"}},   path prefix -> Basic login
   "routes": {"/x": {"status": 404, "reason": "Not Found",  (a path, else the path without its query)
                     "head_status": 405,                    the status for HEAD instead
                     "location": "/y", "cookie": "id=1",    Location and Set-Cookie headers
                     "body": "text",                        instead of the file (a small page without either)
                     "length": "unknown",                   no Content-Length, close ends the body
                     "chunk": 100, "delay": 0.05,           sent in pieces with pauses
                     "stall_after": 10, "stall": 5,         pause after some bytes
                     "drop_after": 10,                      close the connection after some bytes
                     "wait": 0.2,                           seconds before the answer
                     "hang": true,                          never answer
                     "endless": true,                       the headers, then a body that never ends
                     "close": true}},                       close the connection without an answer
   "default": {...}}                                        for paths without a route (else the file, or 404)

Every request is noted in STATE/requests.log.started ("METHOD path") when it
arrives, and in STATE/requests.log as a JSON line just before its answer's
headers go out (or once it is given up): method, port, path, authorization,
cookie, accept, user_agent, status, start and end (monotonic seconds). The
server ends when its stdin ends, that is when the test that started it ends.
"""

import base64
import json
import os
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

STATE = sys.argv[1]
ROOT = os.path.join(STATE, "root")
CONFIG = os.path.join(STATE, "config.json")
LOG = os.path.join(STATE, "requests.log")
LOCK = threading.Lock()
PAGE = b"<html><body>page</body></html>"


def load_config():
    try:
        with open(CONFIG, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return {}


def append(path, line):
    with LOCK, open(path, "a", encoding="utf-8") as f:
        f.write(line + "\n")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    recorded = True  # the refusals of requests no handler method took are not logged
    status = None

    def log_message(self, format, *args):  # quiet: the log file records requests
        pass

    def record(self):
        if self.recorded:
            return
        self.recorded = True
        append(LOG, json.dumps({
            "method": self.command, "port": self.server.server_address[1], "path": self.path,
            "authorization": self.headers.get("Authorization"), "cookie": self.headers.get("Cookie"),
            "accept": self.headers.get("Accept"), "user_agent": self.headers.get("User-Agent"),
            "status": self.status, "start": self.start, "end": time.monotonic()}))

    def send_response(self, code, message=None):
        self.status = code
        super().send_response(code, message)

    def end_headers(self):
        # The request's span ends here, before anything reaches the client: a
        # busy machine cannot stretch it past the client's next request.
        self.record()
        super().end_headers()

    def handle_any(self):
        self.start = time.monotonic()
        self.recorded = False
        self.status = None
        append(LOG + ".started", self.command + " " + self.path)
        config = load_config()
        routes = config.get("routes", {})
        route = routes.get(self.path, routes.get(self.path.split("?")[0], config.get("default")))
        try:
            self.answer(config, route)
        finally:
            self.record()

    def login_required(self, config):
        for prefix, login in config.get("auth", {}).items():
            if self.path.startswith(prefix):
                expected = base64.b64encode((login["user"] + ":" + login["password"]).encode("utf-8"))
                return self.headers.get("Authorization") != "Basic " + expected.decode("ascii")
        return False

    def answer(self, config, route):
        settings = route or {}
        time.sleep(settings.get("wait", 0))
        if settings.get("hang"):
            time.sleep(3600)
            return
        if settings.get("close"):
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        if self.login_required(config):
            return self.reply(401, "Unauthorized", b"<html><body>Members only</body></html>", {},
                              [("WWW-Authenticate", 'Basic realm="Members"')])
        head = self.command == "HEAD" and "head_status" in settings
        status = settings["head_status"] if head else settings.get("status", 200)
        file = os.path.normpath(os.path.join(ROOT, self.path.split("?")[0].lstrip("/")))
        if "body" in settings:
            body = settings["body"].encode("utf-8")
        elif file.startswith(os.path.normpath(ROOT) + os.sep) and os.path.isfile(file):
            with open(file, "rb") as f:
                body = f.read()
        elif route is not None:
            body = PAGE
        else:
            return self.reply(404, "Not Found", b"Not here", {}, [])
        headers = [(name, settings[key]) for key, name in (("location", "Location"), ("cookie", "Set-Cookie"))
                   if key in settings]
        self.reply(status, settings.get("reason"), body, settings, headers)

    def reply(self, status, reason, body, settings, headers):
        self.send_response(status, reason)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Type", "text/html")
        if settings.get("endless"):
            self.send_header("Content-Length", "1000000000")
        elif settings.get("length") == "unknown":
            self.send_header("Connection", "close")
        else:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command == "HEAD":
            return
        try:
            while settings.get("endless"):
                self.wfile.write(b"x" * 100)
                time.sleep(0.05)
            self.send_body(body, settings)
        except OSError:
            self.close_connection = True

    def send_body(self, body, settings):
        chunk = max(1, settings.get("chunk", len(body) or 1))
        delay = settings.get("delay", 0)
        stall_after = settings.get("stall_after")
        drop_after = settings.get("drop_after")
        sent = 0
        while sent < len(body):
            limit = len(body)
            for mark in (stall_after, drop_after):
                if mark is not None and sent < mark:
                    limit = min(limit, mark)
            piece = body[sent:min(sent + chunk, limit)]
            self.wfile.write(piece)
            self.wfile.flush()
            sent += len(piece)
            if drop_after is not None and sent >= drop_after:
                self.close_connection = True
                self.connection.shutdown(socket.SHUT_RDWR)
                return
            if stall_after is not None and sent == stall_after:
                time.sleep(settings.get("stall", 5))
                stall_after = None
            elif delay:
                time.sleep(delay)

    do_GET = do_HEAD = handle_any


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):  # a client that went away is no news
        pass


def exit_with_parent():
    """The test that started the server holds its stdin open: EOF means it has gone."""
    sys.stdin.buffer.read()
    os._exit(0)


def main():
    threading.Thread(target=exit_with_parent, daemon=True).start()
    servers = [Server(("127.0.0.1", 0), Handler) for _ in range(int(sys.argv[2]))]
    if len(sys.argv) > 4:
        tls = Server(("127.0.0.1", 0), Handler)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[3], sys.argv[4])
        tls.socket = context.wrap_socket(tls.socket, server_side=True)
        servers.append(tls)
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print("PORTS " + " ".join(str(s.server_address[1]) for s in servers), flush=True)
    threading.Event().wait()


if __name__ == "__main__":
    main()
