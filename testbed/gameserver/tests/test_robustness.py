"""Malformed input on the game port and the control port: counted or
refused with a clear error, never the end of the stand-in."""

import random
import socket

from .harness import Control, StandInCase, full, u32


class StreamTest(StandInCase):
    def test_cutting_of_split_and_joined_messages(self):
        link = self.hub()
        link.tcp.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        kaka = full(b"LKWE", b"KAKA", member=link.member)
        for part in (kaka[:5], kaka[5:20], kaka[20:]):  # one message, 3 reads
            link.tcp.sendall(part)
        link.tcp.sendall(kaka + kaka)  # two messages, one read
        self.ctl.wait("1", "kaka_tcp", 3)
        self.assertEqual(self.ctl.kv("LINK 1")["kaka_tcp"], "3")

    def test_unusable_lengths_close_the_link(self):
        for total in (0, 7, 655361, 0xFFFFFFFF):
            with self.subTest(total=total):
                link = self.hub()
                link.tcp.sendall(bytes((34, 0, 1, 0)) + u32(total) + bytes(26))
                self.assertEqual(link.tcp.recv(10), b"")
                info = self.ctl.kv("LINK last")
                self.assertEqual((info["closed"], info["bad"]), ("protocol", "1"))

    def test_bad_frames_are_counted_and_skipped(self):
        link = self.hub()
        frames = [
            bytes((34, 0, 1, 0)) + u32(8),                   # shorter than a header
            bytes((34, 0, 1, 0)) + u32(20) + bytes(12),
            full(b"LKWE", b"KAKA", header_len=30),           # wrong header length
            full(b"LKWE", b"KAKA", version=2),               # wrong version
        ]
        for frame in frames:
            link.tcp.sendall(frame)
        link.tcp.sendall(full(b"LKWE", b"KAKA", member=link.member))
        self.ctl.wait("1", "kaka_tcp", 1)
        info = self.ctl.kv("LINK 1")
        self.assertEqual((info["bad"], info["state"]), (str(len(frames)), "registered"))


class DatagramTest(StandInCase):
    def test_unusable_datagrams(self):
        link = self.hub()
        dgrams = [
            b"", b"\x22", b"\x81\x01", b"\x90\x01abc", b"\xff",
            bytes(33),                                        # short of a header
            full(b"LKWE", b"KAKA", total=0),                  # length 0 inside
            full(b"LKWE", b"KAKA") + b"\x22\x00",             # torn tail
            full(b"LKWE", b"KAKA", total=20),
            bytes((8, ord("0"), 1, 0)) + u32(3),              # proxy length too small
        ]
        for n, dgram in enumerate(dgrams, 1):
            with self.subTest(dgram=dgram):
                link.udp.send(dgram)
                self.ctl.wait("any", "bad", n)
        self.assertEqual(self.ctl.kv("STATS")["bad"], str(len(dgrams)))
        self.assertEqual(self.ctl.kv("LINK 1")["kaka_udp"], "1",
                         "the whole message before the torn tail counts")

    def test_random_bytes_everywhere(self):
        rng = random.Random(5)
        link = self.hub()
        for _ in range(300):
            size = rng.choice((1, 2, 3, 8, 33, 34, 40, 200))
            head = rng.choice((b"", b"\x80", b"\x81", b"\x08", b"\x22\x00\x01\x00"))
            link.udp.send((head + rng.randbytes(size))[:max(size, 1)])
        for _ in range(20):
            other = self.hub(register=False)
            other.tcp.sendall(rng.randbytes(rng.randrange(1, 3000)))
        self.assertEqual(self.ctl.raw("PING"), "OK PONG")
        late = self.hub()
        self.assertNotEqual(late.member, bytes(12))


class ControlInputTest(StandInCase):
    def test_bad_commands_answer_err(self):
        self.hub()
        lines = [
            "", "NOPE", "WAIT", "WAIT 1 nosuchcounter 1 10", "WAIT 1 init 1 999999",
            "LINK 99", "LINK x", "LOG a", "ANSWER nosuch on", "ANSWER echo maybe",
            "ANSWER echo refuse", "SILENT", "DROP -1", "DROP 1 later", "DROP x",
            "MSG 1 sctp LKWE GAME", "MSG 1 tcp LKWE", "MSG 1 tcp ABCDE GAME",
            "MSG 1 tcp #4294967296 GAME", "MSG 1 tcp LKWE GAME data=xyz",
            "MSG 1 tcp LKWE GAME flags=70000", "MSG 1 tcp LKWE GAME member=00",
            "MSG 1 tcp LKWE GAME data=00 text=a", "MSG 1 tcp LKWE GAME bogus=1",
            "MSG 1 tcp LKWE GAME text=%G1", "MSG 1 udp LKWE GAME",
            "SHORT 1 256", "SHORT 1 3 third=300", "RAW 1 tcp 0", "SEND 1 a",
            "SEND 1 a b first=CMD", "BIND 1 999", "AFTL 1 via=short to=255",
            "SERVICE 1 r:CMD", "CLOSE 7", "RESET", "LAST ABC",
        ]
        for line in lines:
            with self.subTest(line=line):
                self.assertTrue(self.ctl.raw(line).startswith("ERR "), line)
        self.assertEqual(self.ctl.kv("LINK 1")["sent"], "1", "nothing was sent")

    def test_non_ascii_and_long_lines(self):
        self.assertTrue(self.ctl.raw(b"\xff\xfe\x00 \x80").startswith("ERR "))
        other = Control(self.server.control_port)
        try:
            other.sock.sendall(b"A" * 70000)
            reply = other.file.readline()
            self.assertTrue(reply.startswith(b"ERR "), reply)
            self.assertEqual(other.file.readline(), b"", "connection closed")
        finally:
            other.close()

    def test_commands_in_one_packet_answer_in_order(self):
        self.ctl.sock.sendall(b"PING\r\nWAIT any links 0 10\nINFO\n")
        self.assertEqual(self.ctl.file.readline(), b"OK PONG\n")
        self.assertEqual(self.ctl.file.readline(), b"OK 0\n")
        self.assertTrue(self.ctl.file.readline().startswith(b"OK port=%d "
                                                            % self.port))
