"""Messages pushed on command: the service messages SEND, BIND, BING,
AftL and CLOS, any full message, short forms and raw bytes."""

import struct

from .harness import StandInCase, full, parse, records, u32


class ServiceTest(StandInCase):
    def setUp(self):
        super().setUp()
        self.link = self.hub(hub_id=b"HUB1")
        # the UDP peer becomes known with the first datagram
        self.link.udp.send(full(b"HUB1", b"KAKA", member=self.link.member))
        self.ctl.wait("1", "kaka_udp", 1)

    def receive(self, via):
        if via == "tcp":
            return parse(self.link.recv_tcp())
        dgram = self.link.recv_udp()
        if via == "short":
            self.assertEqual(dgram[:2], b"\x80\xff")
            return {"data": dgram[2:]}
        return parse(dgram)

    def test_each_service_message(self):
        # (command, records expected)
        cases = [
            ("SEND 1 http://h/p?a=1%20b _top",
             [(b"CMD", b"SEND"), (b"TURL", b"http://h/p?a=1 b"), (b"BFRM", b"_top")]),
            ("SEND 1 u f first=BFRM word=Send",
             [(b"CMD", b"Send"), (b"BFRM", b"f"), (b"TURL", b"u")]),
            ("BIND 1 7", [(b"CMD", b"BIND"), (b"CHNL", b"\x07")]),
            ("BING 1 0", [(b"CMD", b"BING"), (b"CHNL", b"\x00")]),
            ("AFTL 1", [(b"CMD", b"AftL")]),
            ("CLOS 1", [(b"CMD", b"CLOS")]),
            ("SERVICE 1 r:CMD=BIND r:X=%FF", [(b"CMD", b"BIND"), (b"X", b"\xff")]),
        ]
        for command, expected in cases:
            for via in ("tcp", "udp", "short"):
                with self.subTest(command=command, via=via):
                    reply = self.ctl.kv("%s via=%s" % (command, via))
                    message = self.receive(via)
                    self.assertEqual(int(reply["bytes"]),
                                     len(message["data"]) + (2 if via == "short" else 34))
                    self.assertEqual(message["data"][:4], bytes(4))
                    self.assertEqual(records(message["data"]), expected)
                    if via != "short":
                        self.assertEqual(message["dst"], b"HUB1")
                        self.assertEqual(message["flags"], 0)
                        self.assertEqual(message["member"], self.link.member)
                        self.assertEqual(str(message["seq"]), reply["seq"])

    def test_service_options(self):
        # (options, header field, value)
        cases = [("to=#255", "dst", u32(255)), ("to=LKWE", "dst", b"LKWE"),
                 ("flags=0xC0", "flags", 0xC0), ("seq=77", "seq", 77)]
        for options, field, value in cases:
            with self.subTest(options=options):
                self.ctl.ok("AFTL 1 " + options)
                self.assertEqual(self.receive("tcp")[field], value)
        self.ctl.ok("CLOS 1 lead=01020304")
        self.assertEqual(self.receive("tcp")["data"][:4], b"\x01\x02\x03\x04")

    def test_sequence_numbers_count_per_transport(self):
        seqs = []
        for via in ("tcp", "tcp", "udp", "tcp", "udp"):
            seqs.append((via, int(self.ctl.kv("AFTL 1 via=" + via)["seq"])))
            self.receive(via)
        self.assertEqual(seqs, [("tcp", 0), ("tcp", 1), ("udp", 0), ("tcp", 2),
                                ("udp", 1)])

    def test_any_message(self):
        self.ctl.ok("MSG 1 tcp GAME #3 flags=0x80 seq=5 text=r%E9p")
        message = self.receive("tcp")
        self.assertEqual((message["src"], message["dst"], message["flags"],
                          message["seq"], message["data"]),
                         (b"GAME", u32(3), 0x80, 5, b"r\xe9p"))
        self.ctl.ok("MSG 1 udp x01020304 ZDP1 data=0a0b append member=%s"
                    % ("ab" * 12))
        raw = self.link.recv_udp()
        self.assertEqual(struct.unpack_from("<I", raw, 4)[0], 34 + 2 + 12)
        self.assertEqual(raw[10:14], b"\x01\x02\x03\x04")
        self.assertEqual(raw[22:34], b"\xab" * 12)
        self.assertEqual(raw[34:], b"\x0a\x0b" + b"\xab" * 12)

    def test_raw_bytes(self):
        self.ctl.ok("RAW 1 tcp 2200010007000000")
        self.assertEqual(self.link.recv_exact(8), bytes.fromhex("2200010007000000"))
        self.ctl.ok("RAW 1 udp 80ff")
        self.assertEqual(self.link.recv_udp(), b"\x80\xff")

    def test_push_needs_a_udp_peer(self):
        other = self.hub()
        self.assertIn("no UDP peer", self.ctl.raw("AFTL 2 via=udp"))
        self.assertTrue(self.ctl.raw("SHORT 2 1").startswith("ERR "))
        self.ctl.ok("AFTL 2")
        self.assertEqual(records(parse(other.recv_tcp())["data"]),
                         [(b"CMD", b"AftL")])

    def test_hub_id_unknown_falls_back_to_service_channel(self):
        other = self.hub(register=False)
        self.ctl.wait("any", "links", 2)
        self.ctl.ok("CLOS 2")
        self.assertEqual(parse(other.recv_tcp())["dst"], u32(255))
