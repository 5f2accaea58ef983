#!/usr/bin/env python3
"""Local HTTP proxy for the browser tests: it answers every plain HTTP request
itself and never forwards anything, so a real browser can "visit" any host
name without a network.

    proxy.py LOGFILE [--port N]

Listens on 127.0.0.1 (port 0 = a free one) and prints "PORT <n>" as the
first line on stdout. Each request is answered with a small HTML page whose
title is the requested host name; CONNECT (HTTPS, WebSocket tunnels) is
refused with 403. Every request is logged to LOGFILE as one tab-separated
line: unix time, method, request target, status. SIGTERM or SIGINT stops it.
"""

import argparse
import html
import signal
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit


class RequestLog:
    def __init__(self, path):
        self.lock = threading.Lock()
        self.file = open(path, "a", encoding="utf-8", buffering=1)

    def record(self, method, target, status):
        line = "%.3f\t%s\t%s\t%d\n" % (time.time(), method, target, status)
        with self.lock:
            self.file.write(line)

    def close(self):
        with self.lock:
            self.file.close()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def version_string(self):
        return "QuillonTestProxy"

    def log_message(self, fmt, *args):
        pass  # requests are logged by RequestLog, one line each

    def _discard_body(self):
        length = self.headers.get("Content-Length")
        if length and length.isdigit():
            self.rfile.read(int(length))

    def _send(self, status, ctype, body, extra=()):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)
        self.server.request_log.record(self.command, self.path, status)

    def _host(self):
        # A proxied request carries an absolute URL; one sent to the proxy
        # directly has only a path and names its host in the Host header.
        host = urlsplit(self.path).hostname
        if not host:
            host = urlsplit("//" + self.headers.get("Host", "")).hostname
        return host or ""

    def _any(self):
        self._discard_body()
        host = html.escape(self._host())
        body = ("<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                "<title>%s</title></head><body><h1>%s</h1><p>%s</p>"
                "</body></html>\n" % (host, host, html.escape(self.path)))
        self._send(200, "text/html; charset=utf-8", body.encode("utf-8"))

    do_GET = do_HEAD = do_POST = do_PUT = do_DELETE = _any
    do_OPTIONS = do_PATCH = _any

    def do_CONNECT(self):
        # No tunnels: HTTPS and anything else encrypted ends here.
        self.close_connection = True
        self._send(403, "text/plain; charset=utf-8", b"CONNECT refused\n",
                   extra=[("Connection", "close")])


class Server(ThreadingHTTPServer):
    daemon_threads = True


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("logfile")
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()

    server = Server(("127.0.0.1", args.port), Handler)
    server.request_log = RequestLog(args.logfile)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())

    worker = threading.Thread(target=server.serve_forever, daemon=True)
    worker.start()
    print("PORT %d" % server.server_address[1], flush=True)

    while not stop.wait(0.5):
        if not worker.is_alive():
            return 1
    server.shutdown()
    server.server_close()
    server.request_log.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
