"""Test helpers: the stand-in run in-process, a control client, and a fake
hub link that builds server-protocol messages byte by byte."""

import os
import socket
import struct
import sys
import threading
import time
import unittest

FOLDER = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
if FOLDER not in sys.path:
    sys.path.insert(0, FOLDER)

import server as gameserver  # noqa: E402

IO_TIMEOUT = 5.0  # seconds any expected reply may take
QUIET = 0.2  # seconds during which no answer is expected


def u32(value):
    return struct.pack("<I", value)


def full(src, dst, flags=0, seq=0, member=bytes(12), data=b"", total=None,
         header_len=34, version=1):
    """One server message: 34-byte header then data."""
    out = bytearray()
    out.append(header_len)                   # +0 bHeaderLen
    out.append(0)                            # +1 reserved
    out.append(version)                      # +2 version
    out.append(0)                            # +3 reserved
    out += u32(34 + len(data) if total is None else total)  # +4 dwTotalLen
    out += struct.pack("<H", flags)          # +8 wFlags
    out += src                               # +10 SrcId
    out += dst                               # +14 DstId
    out += u32(seq)                          # +18 SeqNum
    out += member                            # +22 IOMemberId
    out += data                              # +34
    return bytes(out)


def parse(frame):
    """Header fields of one received full message."""
    assert len(frame) >= 34, frame
    return {
        "header_len": frame[0],
        "version": frame[2],
        "total": struct.unpack_from("<I", frame, 4)[0],
        "flags": struct.unpack_from("<H", frame, 8)[0],
        "src": frame[10:14],
        "dst": frame[14:18],
        "seq": struct.unpack_from("<I", frame, 18)[0],
        "member": frame[22:34],
        "data": frame[34:],
    }


def records(data):
    """Service data: 4 leading bytes, then records of 4 hex digits (body
    length) and a body name=value plus one end character."""
    pos, out = 4, []
    while pos < len(data):
        length = int(data[pos:pos + 4], 16)
        body = data[pos + 4:pos + 4 + length]
        assert len(body) == length, data
        name, _, value = body[:-1].partition(b"=")
        out.append((name, value))
        pos += 4 + length
    return out


def proxy(letter, payload=b""):
    """8-byte header message of the proxy preamble."""
    return bytes((8, ord(letter), 1, 0)) + u32(8 + len(payload)) + payload


class Control:
    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port),
                                             timeout=IO_TIMEOUT)
        self.file = self.sock.makefile("rb")

    def raw(self, line):
        if isinstance(line, str):
            line = line.encode("latin-1")
        self.sock.sendall(line + b"\n")
        reply = self.file.readline()
        if not reply.endswith(b"\n"):
            raise AssertionError("no reply line to %r" % line)
        return reply[:-1].decode("latin-1")

    def ok(self, line):
        reply = self.raw(line)
        if not (reply == "OK" or reply.startswith("OK ")):
            raise AssertionError("%r answered %r" % (line, reply))
        return reply[3:]

    def kv(self, line):
        return dict(t.split("=", 1) for t in self.ok(line).split() if "=" in t)

    def wait(self, link, counter, minimum, timeout_ms=3000):
        return int(self.ok("WAIT %s %s %d %d" % (link, counter, minimum,
                                                   timeout_ms)))

    def close(self):
        self.file.close()
        self.sock.close()


class HubLink:
    """What a hub holds toward one server: a TCP connection and a UDP
    socket connected to the same port."""

    def __init__(self, port):
        self.port = port
        self.tcp = socket.create_connection(("127.0.0.1", port),
                                            timeout=IO_TIMEOUT)
        self.udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.udp.settimeout(IO_TIMEOUT)
        self.udp.connect(("127.0.0.1", port))
        self.member = bytes(12)

    def register(self, hub_id=b"LKWE", pseudo=b"(null pseudo) "):
        self.tcp.sendall(full(hub_id, b"INIT", flags=2, data=pseudo))
        reply = parse(self.recv_tcp())
        self.member = reply["member"]
        return reply

    def recv_exact(self, n):
        out = b""
        while len(out) < n:
            chunk = self.tcp.recv(n - len(out))
            if not chunk:
                raise EOFError("server closed after %d bytes" % len(out))
            out += chunk
        return out

    def recv_tcp(self):
        head = self.recv_exact(8)
        total = struct.unpack_from("<I", head, 4)[0]
        return head + self.recv_exact(total - 8)

    def recv_udp(self):
        return self.udp.recv(65536)

    def quiet_tcp(self):
        """True when nothing arrives over TCP for a short while."""
        self.tcp.settimeout(QUIET)
        try:
            return not self.tcp.recv(1, socket.MSG_PEEK)
        except socket.timeout:
            return True
        finally:
            self.tcp.settimeout(IO_TIMEOUT)

    def close(self):
        self.tcp.close()
        self.udp.close()


class StandInCase(unittest.TestCase):
    """Each test gets its own stand-in on fresh ephemeral ports."""

    def setUp(self):
        self.server = gameserver.GameServer()
        self.thread = threading.Thread(target=self.server.run, daemon=True)
        self.thread.start()
        self.port = self.server.port
        self.ctl = Control(self.server.control_port)
        self.links = []

    def tearDown(self):
        try:
            self.assertEqual(self.ctl.raw("PING"), "OK PONG",
                             "the stand-in must survive every test")
        finally:
            for link in self.links:
                link.close()
            self.ctl.close()
            self.server.request_stop()
            self.thread.join(IO_TIMEOUT)
            self.assertFalse(self.thread.is_alive(), "stand-in did not stop")

    def hub(self, register=True, **kw):
        link = HubLink(self.port)
        self.links.append(link)
        if register:
            link.register(**kw)
        return link

    def eventually(self, predicate, what, timeout=IO_TIMEOUT):
        deadline = time.monotonic() + timeout
        while True:
            value = predicate()
            if value:
                return value
            if time.monotonic() > deadline:
                self.fail("timed out waiting for " + what)
            time.sleep(0.02)
