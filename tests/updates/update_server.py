#!/usr/bin/python3
"""A small update server for the tests, on 127.0.0.1 only.

usage: update_server.py ROOT CONFIG LOG

Serves the files under ROOT. Prints "PORT <n>" on stdout once it listens on a
free port. CONFIG is a JSON file read again for every request, so a test can
change the server's behaviour while it runs:

  {"auth":    {"/members/": {"user": "u", "password": "p"}},   path prefix -> Basic login
   "cookies": {"/download/quilletver.ini": "session=abc"},     path -> Set-Cookie value
   "routes":  {"/x": {"status": 404, "reason": "Not Found",    the status line
                      "body": "text",                          instead of the file
                      "length": "unknown",                     no Content-Length, close ends the body
                      "chunk": 100, "delay": 0.05,             sent in pieces with pauses
                      "stall_after": 10, "stall": 5,           pause after some bytes
                      "drop_after": 10,                        close the connection after some bytes
                      "redirect": "http://..."}}}               302 to that address

Every request is appended to LOG as one JSON line: path, authorization,
cookie, accept, user_agent and the status sent. The server ends when its
stdin reaches its end, that is when the test that started it ends.
"""

import base64
import json
import os
import socket
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

ROOT, CONFIG, LOG = sys.argv[1], sys.argv[2], sys.argv[3]
LOG_LOCK = threading.Lock()


def load_config():
    try:
        with open(CONFIG, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return {}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, format, *args):  # quiet: the log file records requests
        pass

    def record(self, status):
        entry = {
            "path": self.path,
            "authorization": self.headers.get("Authorization"),
            "cookie": self.headers.get("Cookie"),
            "accept": self.headers.get("Accept"),
            "user_agent": self.headers.get("User-Agent"),
            "status": status,
        }
        with LOG_LOCK, open(LOG, "a", encoding="utf-8") as f:
            f.write(json.dumps(entry) + "\n")

    def login_required(self, config):
        for prefix, login in config.get("auth", {}).items():
            if self.path.startswith(prefix):
                expected = base64.b64encode(
                    (login["user"] + ":" + login["password"]).encode("utf-8")).decode("ascii")
                return self.headers.get("Authorization") != "Basic " + expected
        return False

    def do_GET(self):
        config = load_config()
        route = config.get("routes", {}).get(self.path, {})

        if self.login_required(config):
            self.record(401)
            body = b"<html><body>Members only</body></html>"
            self.send_response(401, "Unauthorized")
            self.send_header("WWW-Authenticate", 'Basic realm="Members"')
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return

        if "redirect" in route:
            self.record(302)
            self.send_response(302, "Found")
            self.send_header("Location", route["redirect"])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return

        status = route.get("status", 200)
        if "body" in route:
            body = route["body"].encode("utf-8")
        else:
            path = os.path.normpath(os.path.join(ROOT, self.path.lstrip("/")))
            if not path.startswith(os.path.normpath(ROOT) + os.sep) or not os.path.isfile(path):
                status, body = 404, b"Not here"
                route = dict(route, reason="Not Found")
            else:
                with open(path, "rb") as f:
                    body = f.read()

        self.record(status)
        self.send_response(status, route.get("reason"))
        cookie = config.get("cookies", {}).get(self.path)
        if cookie:
            self.send_header("Set-Cookie", cookie)
        self.send_header("Content-Type", "application/octet-stream")
        if route.get("length") != "unknown":
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.send_body(body, route)

    def send_body(self, body, route):
        chunk = max(1, route.get("chunk", len(body) or 1))
        delay = route.get("delay", 0)
        stall_after = route.get("stall_after")
        drop_after = route.get("drop_after")
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
                self.connection.shutdown(socket.SHUT_RDWR)
                return
            if stall_after is not None and sent == stall_after:
                time.sleep(route.get("stall", 5))
                stall_after = None
            elif delay:
                time.sleep(delay)


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
    server = Server(("127.0.0.1", 0), Handler)
    print("PORT %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
