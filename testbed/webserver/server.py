#!/usr/bin/env python3
"""Loopback web stand-in for the suite's tests and demos.

Serves a folder and a few scripted answers on 127.0.0.1, HTTP/1.0, one
request per connection:

  /_/status/<code>[?body=TEXT]     that status, with TEXT (or "status <code>")
  /_/redirect/<code>?to=URL        a redirection to URL (301, 302, 303, 307, 308)
  /_/body?text=TEXT[&type=MIME]    TEXT as the body (type text/plain by default)
  /_/bytes?n=N[&type=MIME]         N bytes of the pattern byte(i) = i % 256
  /_/slow?n=N&chunk=C&delay_ms=D   the pattern, C bytes at a time, D ms apart
  /_/cut?n=N&sent=M                announces N bytes of the pattern, sends M, closes
  /_/nolength?n=N                  the pattern without Content-Length (ends at close)
  /_/echo                          the request body (POST) or query (GET) back, text/plain

A routes file (--routes, JSON) adds fixed answers for exact paths:
  {"/path": {"status": 200, "type": "text/html", "body": "...",
             "body_file": "relative/to/root", "headers": {"X-A": "b"},
             "location": "/elsewhere", "cut_after": N, "chunk": C, "delay_ms": D}}
A path with a query is looked up first with it, then without it.

With --subst-env, "${NAME}" in a served text file (text/* types and the chat's
.vblt configuration documents) becomes the value of the environment variable
NAME; only names that begin with "FD_" are looked up (the environment also
holds the machine's own settings), and an unknown name stays as written. A
page can so carry the port of a sidecar started before this one.

As a test sidecar it reads FD_SIDECAR_INFO (a file), writes
"<port variable>=<port>" (FD_WEB_PORT by default) and then "READY" there.
By hand:  python3 server.py --root DIR [--port N]
"""

import argparse
import http.server
import json
import os
import re
import signal
import socketserver
import sys
import threading
import time
import urllib.parse

MAX_BODY_BYTES = 64 * 1024 * 1024  # request bodies and generated answers
MAX_DELAY_MS = 10000
PATTERN_PIECE = bytes(range(256))

TYPES = {
    ".htm": "text/html",
    ".html": "text/html",
    ".txt": "text/plain",
    ".fdg": "application/x-fd-game",
    ".xml": "text/xml",
    ".gif": "image/gif",
    ".bmp": "image/bmp",
    ".vblt": "application/x-verbolt",
}

# Types whose files get their "${NAME}" references replaced under --subst-env.
SUBST_TYPES = ("application/x-verbolt",)
SUBST_NAME = re.compile(rb"\$\{(FD_[A-Za-z0-9_]*)\}")


def subst_env(data, env):
    """Each "${FD_...}" of the bytes replaced by its value in env; unknown names stay."""
    def one(m):
        value = env.get(m.group(1).decode("ascii"))
        return m.group(0) if value is None else value.encode("latin-1", "replace")
    return SUBST_NAME.sub(one, data)


def pattern(n):
    reps = n // 256 + 1
    return (PATTERN_PIECE * reps)[:n]


def escape(value):
    """The escaping of the browser host's log lines."""
    out = []
    for b in value:
        if b == 0x5C:
            out.append("\\\\")
        elif b == 0x09:
            out.append("\\t")
        elif b == 0x0A:
            out.append("\\n")
        elif b == 0x0D:
            out.append("\\r")
        elif b < 0x20 or b == 0x7F:
            out.append("\\x%02X" % b)
        else:
            out.append(chr(b))
    return "".join(out)


class Settings:
    root = "."
    routes = {}
    log_file = None
    log_lock = threading.Lock()
    verbose = False
    subst_env = False


class BadRequest(Exception):
    pass


def int_arg(query, name, default=None, low=0, high=MAX_BODY_BYTES):
    values = query.get(name)
    if not values:
        if default is None:
            raise BadRequest("missing %s" % name)
        return default
    try:
        n = int(values[0])
    except ValueError:
        raise BadRequest("bad %s" % name)
    if n < low or n > high:
        raise BadRequest("%s out of range" % name)
    return n


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "FdWebStandIn/1.0"

    def log_message(self, fmt, *args):
        if Settings.verbose:
            sys.stderr.write("web: " + (fmt % args) + "\n")

    def do_GET(self):
        self.serve(b"")

    def do_HEAD(self):
        self.serve(b"")

    def do_POST(self):
        try:
            length = int(self.headers.get("Content-Length", "0"))
        except ValueError:
            length = -1
        if length < 0 or length > MAX_BODY_BYTES:
            self.answer(400, b"bad Content-Length", "text/plain")
            self.record(b"")
            return
        body = self.rfile.read(length) if length else b""
        self.serve(body)

    # ---- answers
    def answer(self, status, body, ctype, headers=None, cut_after=None, chunk=None, delay_ms=0, length=True):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        if length:
            self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        self.end_headers()
        self.sent_status = status
        if self.command == "HEAD":
            return
        data = body if cut_after is None else body[:cut_after]
        step = chunk or len(data) or 1
        for i in range(0, len(data), step):
            if i and delay_ms:
                time.sleep(delay_ms / 1000.0)
            self.wfile.write(data[i:i + step])
            self.wfile.flush()
            self.sent_bytes += len(data[i:i + step])
        if cut_after is not None:
            # Close without the rest: the client sees a short body.
            self.close_connection = True

    def record(self, body):
        line = "REQUEST\tmethod=%s\ttarget=%s\tstatus=%d\tsent=%d\tbody=%s" % (
            self.command, escape(self.path.encode("latin-1", "replace")), self.sent_status,
            self.sent_bytes, escape(body))
        if Settings.log_file:
            with Settings.log_lock:
                with open(Settings.log_file, "a", encoding="latin-1", errors="replace") as f:
                    f.write(line + "\n")

    def serve(self, body):
        self.sent_status = 0
        self.sent_bytes = 0
        try:
            self.route(body)
        except BadRequest as e:
            self.answer(400, str(e).encode(), "text/plain")
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.record(body)

    def route(self, body):
        url = urllib.parse.urlsplit(self.path)
        # Bytes of the programs' 8-bit text travel percent-encoded: keep them as bytes 0-255.
        path = urllib.parse.unquote(url.path, encoding="latin-1")
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True, encoding="latin-1")
        full = path + ("?" + url.query if url.query else "")
        fixed = Settings.routes.get(full) or Settings.routes.get(path)
        if fixed is not None:
            return self.fixed(fixed)
        if path.startswith("/_/"):
            return self.builtin(path[3:], query, body, url.query)
        return self.file(path)

    def fixed(self, r):
        status = int(r.get("status", 200))
        headers = dict(r.get("headers", {}))
        if "location" in r:
            headers["Location"] = r["location"]
        if "body_file" in r:
            target = self.safe_path(r["body_file"])
            if target is None or not os.path.isfile(target):
                return self.answer(500, b"routes: no such body_file", "text/plain")
            with open(target, "rb") as f:
                data = f.read()
        else:
            data = r.get("body", "").encode("latin-1", "replace")
        self.answer(status, data, r.get("type", "text/plain"), headers, r.get("cut_after"), r.get("chunk"),
                    min(int(r.get("delay_ms", 0)), MAX_DELAY_MS))

    def builtin(self, what, query, body, raw_query):
        parts = what.split("/")
        ctype = query.get("type", ["application/octet-stream"])[0]
        if parts[0] == "status" and len(parts) == 2 and parts[1].isdigit():
            code = int(parts[1])
            if code < 200 or code > 599:
                raise BadRequest("bad status")
            text = query.get("body", ["status %d" % code])[0]
            return self.answer(code, text.encode("latin-1", "replace"), "text/plain")
        if parts[0] == "redirect" and len(parts) == 2 and parts[1] in ("301", "302", "303", "307", "308"):
            to = query.get("to", [""])[0]
            if not to:
                raise BadRequest("missing to")
            return self.answer(int(parts[1]), b"moved", "text/plain", {"Location": to})
        if what == "body":
            text = query.get("text", [""])[0]
            return self.answer(200, text.encode("latin-1", "replace"), query.get("type", ["text/plain"])[0])
        if what == "bytes":
            return self.answer(200, pattern(int_arg(query, "n")), ctype)
        if what == "slow":
            n = int_arg(query, "n")
            chunk = int_arg(query, "chunk", 1024, 1)
            delay = int_arg(query, "delay_ms", 50, 0, MAX_DELAY_MS)
            return self.answer(200, pattern(n), ctype, chunk=chunk, delay_ms=delay)
        if what == "cut":
            n = int_arg(query, "n")
            sent = int_arg(query, "sent", 0, 0, n)
            return self.answer(200, pattern(n), ctype, cut_after=sent)
        if what == "nolength":
            return self.answer(200, pattern(int_arg(query, "n")), ctype, length=False)
        if what == "echo":
            data = body if self.command == "POST" else urllib.parse.unquote_to_bytes(raw_query)
            return self.answer(200, data, "text/plain", {"X-Method": self.command})
        return self.answer(404, b"no such scripted answer", "text/plain")

    def safe_path(self, rel):
        root = os.path.realpath(Settings.root)
        target = os.path.realpath(os.path.join(root, rel.lstrip("/\\")))
        if os.path.commonpath([root, target]) != root:
            return None
        return target

    def file(self, path):
        target = self.safe_path(path)
        if target is None:
            return self.answer(403, b"outside the served folder", "text/plain")
        if os.path.isdir(target):
            target = os.path.join(target, "index.htm")
        if not os.path.isfile(target):
            return self.answer(404, b"not found", "text/plain")
        if self.command == "POST":
            return self.answer(405, b"files take no POST", "text/plain")
        with open(target, "rb") as f:
            data = f.read()
        ext = os.path.splitext(target)[1].lower()
        ctype = TYPES.get(ext, "application/octet-stream")
        if Settings.subst_env and (ctype.startswith("text/") or ctype in SUBST_TYPES):
            data = subst_env(data, os.environ)
        self.answer(200, data, ctype)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main(argv):
    p = argparse.ArgumentParser(description="Loopback web stand-in")
    p.add_argument("--root", default=".", help="folder served")
    p.add_argument("--port", type=int, default=0, help="port (0: any free one)")
    p.add_argument("--routes", help="JSON file of fixed answers")
    p.add_argument("--log", help="file where every request is appended as a REQUEST line")
    p.add_argument("--port-var", default="FD_WEB_PORT", help="name under which the port is announced")
    p.add_argument("--verbose", action="store_true")
    p.add_argument("--subst-env", action="store_true",
                   help='replace "${FD_NAME}" in served text files from the environment')
    a = p.parse_args(argv)
    Settings.root = a.root
    Settings.log_file = a.log
    Settings.verbose = a.verbose
    Settings.subst_env = a.subst_env
    if a.routes:
        with open(a.routes, encoding="utf-8") as f:
            Settings.routes = json.load(f)
    server = Server(("127.0.0.1", a.port), Handler)
    port = server.server_address[1]

    def stop(*_):
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    info = os.environ.get("FD_SIDECAR_INFO")
    if info:
        with open(info, "a") as f:
            f.write("%s=%d\n" % (a.port_var, port))
            f.write("READY\n")
    print("%s=%d" % (a.port_var, port), flush=True)
    server.serve_forever()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
