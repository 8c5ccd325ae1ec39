#!/usr/bin/env python3
"""Scripted HTTP/1.1 test server on 127.0.0.1 that misbehaves on request.

Usage:
  scripted_server.py --port-file FILE [--port 0] [--root DIR]
Binds 127.0.0.1 on the given port (0: one the system chooses), writes the port to FILE once
it listens, serves until SIGTERM or SIGINT. Python 3 standard library only; one thread a
connection; stateless: every answer is chosen by the request's own path and query.

Every request is recorded (method, path with query, headers, time). GET /_requests?prefix=P
returns the records whose path starts with P as a JSON list of
  {"method": ..., "path": ..., "headers": {name-lower-case: value}, "time": seconds};
with &format=lines, one request a line instead: time, method, path, then "name: value"
for each header, separated by tabs.
Use a prefix of your own per test (/t/<test>/...) so that parallel tests do not meet.

Scenario query parameters (any path outside /_requests; all optional):
  status=S      HTTP status (default 200)
  html=TEXT     literal bytes of the body (URL-encoded), placed at offset `lead`
  lead=K        filler bytes before `html` (default 0)
  size=N        body length; filler after `html` up to N (default: lead + len(html))
  fill=text|bin filler byte i: text = 'a' + i % 26 (default), bin = i % 256
  file=REL      body is the file REL below --root (404 with an empty body if missing)
With --root, a request path that names a file below the root is served from that file
(a document root), and a path without a query that names no file is answered 404; the
parameters above still shape the answer (status, cl, pieces, gap, delay, reset).
  cl=N|none     announced Content-Length: N (may differ from the body), none: no header,
                the body ends when the server closes the connection (default: body length)
  chunked=1     Transfer-Encoding: chunked, one chunk per piece, no Content-Length
  pieces=A,B,.. send the body in pieces of these sizes (the rest in one last piece)
  piece=N       send the body in pieces of N bytes
  gap=MS        pause between pieces (default 300 when pieces/piece are given, else 0)
  delay=MS      pause before the response headers
  reset=K       after K body bytes, reset the connection (TCP RST) instead of going on
The connection is closed after every response. HEAD answers the headers only.
"""

import argparse
import json
import os
import signal
import socket
import struct
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

_records = []
_records_lock = threading.Lock()


def filler(offset, count, kind):
    if kind == "bin":
        return bytes((offset + i) % 256 for i in range(count))
    return bytes(ord("a") + (offset + i) % 26 for i in range(count))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ScriptedServer/1"

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        self.answer(head=True)

    def do_GET(self):
        self.answer(head=False)

    def record(self):
        with _records_lock:
            _records.append({"method": self.command, "path": self.path,
                             "headers": {k.lower(): v for k, v in self.headers.items()},
                             "time": time.time()})

    def answer(self, head):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        if url.path == "/_requests":
            prefix = query.get("prefix", [""])[0]
            with _records_lock:
                found = [r for r in _records if r["path"].startswith(prefix)]
            if query.get("format", [""])[0] == "lines":
                text = "".join("%.3f\t%s\t%s%s\n" % (r["time"], r["method"], r["path"],
                               "".join("\t%s: %s" % h for h in r["headers"].items())) for r in found)
                self.send_plain(200, text.encode(), head)
            else:
                self.send_plain(200, json.dumps(found).encode(), head)
            return
        self.record()
        arg = lambda name, default=None: query.get(name, [default])[0]

        status = int(arg("status", "200"))
        relative = arg("file")
        if relative is None and self.server.root:
            # With a document root, a path naming a file below it serves that file; a path
            # with no query that names nothing is missing.
            candidate = urllib.parse.unquote(url.path).lstrip("/")
            if os.path.isfile(self.below_root(candidate) or "") or not url.query:
                relative = candidate
        if relative is not None:
            path = self.below_root(relative)
            try:
                with open(path, "rb") as f:
                    body = f.read()
            except (OSError, TypeError):
                self.send_plain(404, b"", head)
                return
        else:
            html = arg("html", "").encode("latin-1", "replace")
            lead = int(arg("lead", "0"))
            kind = arg("fill", "text")
            body = filler(0, lead, kind) + html
            size = int(arg("size", str(len(body))))
            body = body[:size] + filler(len(body), max(0, size - len(body)), kind)

        pieces = []
        if arg("pieces"):
            pos = 0
            for n in arg("pieces").split(","):
                pieces.append(body[pos:pos + int(n)])
                pos += int(n)
            if pos < len(body):
                pieces.append(body[pos:])
        elif arg("piece"):
            n = max(1, int(arg("piece")))
            pieces = [body[i:i + n] for i in range(0, len(body), n)]
        else:
            pieces = [body]
        gap = int(arg("gap", "300" if (arg("pieces") or arg("piece")) else "0")) / 1000.0
        chunked = arg("chunked") == "1"
        cl = arg("cl")
        reset = int(arg("reset")) if arg("reset") is not None else None

        time.sleep(int(arg("delay", "0")) / 1000.0)
        self.send_response(status)
        self.send_header("Content-Type", "text/html" if html_like(body) else "application/octet-stream")
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        elif cl != "none":
            self.send_header("Content-Length", cl if cl is not None else str(len(body)))
        self.send_header("Connection", "close")
        # The headers go out together with the first piece, in one send: a client that
        # reads the headers then finds that piece already received and returns it from its
        # first read without waiting for the next, so the pieces reach separate reads.
        self._headers_buffer.append(b"\r\n")
        headers = b"".join(self._headers_buffer)
        self._headers_buffer = []
        if head:
            self.wfile.write(headers)
            return

        sent = 0
        for i, piece in enumerate(pieces):
            if i and gap:
                time.sleep(gap)
            if i == 0:
                if reset is not None and len(piece) >= reset:
                    self.wfile.write(headers)
                else:
                    self.wfile.write(headers + (b"%x\r\n" % len(piece) + piece + b"\r\n" if chunked and piece else piece))
                    sent += len(piece)
                    continue
            if reset is not None and sent + len(piece) >= reset:
                self.write_piece(piece[:reset - sent], chunked)
                self.reset_connection()
                return
            self.write_piece(piece, chunked)
            sent += len(piece)
        if chunked:
            self.wfile.write(b"0\r\n\r\n")
        self.wfile.flush()
        self.close_connection = True

    def below_root(self, relative):
        root = os.path.abspath(self.server.root or ".")
        path = os.path.abspath(os.path.join(root, relative))
        return path if path == root or path.startswith(root + os.sep) else None

    def write_piece(self, data, chunked):
        if not data:
            return
        if chunked:
            self.wfile.write(b"%x\r\n" % len(data) + data + b"\r\n")
        else:
            self.wfile.write(data)
        self.wfile.flush()

    def reset_connection(self):
        # Linger 0: close sends RST rather than an orderly FIN.
        time.sleep(0.1)
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()
        self.close_connection = True

    def send_plain(self, status, data, head):
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Connection", "close")
        self.end_headers()
        if not head:
            self.wfile.write(data)
        self.close_connection = True


def html_like(body):
    return body[:512].lower().find(b"<html") >= 0 or body[:512].lower().find(b"<title") >= 0


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description="Scripted HTTP test server on 127.0.0.1")
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--root", default=None, help="folder for file=REL")
    args = parser.parse_args()

    server = Server(("127.0.0.1", args.port), Handler)
    server.root = args.root
    stop = lambda *_: threading.Thread(target=server.shutdown, daemon=True).start()
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.replace(tmp, args.port_file)
    server.serve_forever(poll_interval=0.2)
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
