"""The launcher's formats: commands pushed with LUDEX, notifications from a
channel decoded by NOTES and counted in `note`. Expected bytes are written
out by hand."""

from .harness import StandInCase, full, parse, u32

import ludex


class LudexFormatTest(StandInCase):
    def test_encode_command(self):
        self.assertEqual(ludex.encode_command(b"cmd", b"hfln"),
                         b"00110009cmd=hfln0")
        self.assertEqual(ludex.encode_command(b"AC", b"", lead=b"zzzz"),
                         b"zzzz0004AC=0")
        with self.assertRaises(ValueError):
            ludex.encode_command(b"a", b"x" * 65533)

    def test_decode_notification(self):
        cases = [
            (b"000dtype=1001", (13, True, b"type=1001", None)),
            (b"001atype=10010009cust=abc0", (26, True, b"type=1001", b"abc")),
            (b"000fa0006cust=0", (15, True, b"a", b"")),
            # a "cust=" whose length does not fit stays in the body
            (b"0011a0005cust=abc0", (17, False, b"a0005cust=abc0", None)),
            (b"0005x", (5, True, b"x", None)),
        ]
        for data, (declared, ok, body, custom) in cases:
            note = ludex.decode_notification(data)
            self.assertEqual((note.declared, note.length_ok, note.body,
                              note.custom), (declared, ok, body, custom), data)
        for data in (b"", b"00x", b"xyz1type"):
            self.assertIsNone(ludex.decode_notification(data), data)


class LudexControlTest(StandInCase):
    def test_notes_from_channels(self):
        link = self.hub()
        for data in (b"000dtype=1001", b"001atype=10010009cust=a/b",
                     b"0020type=0002" + b"0009cust=a/c0", b"not hex"):
            link.tcp.sendall(full(u32(3), b"ZDP1", data=data,
                                  member=link.member))
        # from no channel: not a notification
        link.tcp.sendall(full(b"GAME", b"ZDP1", data=b"0005x",
                              member=link.member))
        self.ctl.ok("ANSWER echo off")
        self.ctl.wait("1", "msg_tcp", 6)
        self.assertEqual(self.ctl.wait("1", "note", 1), 1)
        reply = self.ctl.ok("NOTES")
        self.assertEqual(reply.split(), [
            "next=3",
            "0/1/ZDP1/ok/type=1001/-",
            "1/1/ZDP1/len=26/type=10010009cust=a%2Fb/-",
            "2/1/ZDP1/len=32/type=0002/a%2Fc"])
        self.assertEqual(self.ctl.ok("NOTES 2").split(),
                         ["next=3", "2/1/ZDP1/len=32/type=0002/a%2Fc"])
        self.ctl.ok("CLEAR")
        self.assertEqual(self.ctl.ok("NOTES"), "next=3")

    def test_ludex_pushes_a_command(self):
        link = self.hub()
        self.ctl.ok("LUDEX 1 ZELT cmd=hfln")
        got = parse(link.recv_tcp())
        self.assertEqual((got["src"], got["dst"], got["data"]),
                         (b"GSRV", b"ZELT", b"00110009cmd=hfln0"))
        self.ctl.ok("LUDEX 1 #3 AC=quit%20now lead=abcd")
        got = parse(link.recv_tcp())
        self.assertEqual((got["dst"], got["data"]),
                         (u32(3), b"abcd000cAC=quit now0"))
        self.assertTrue(self.ctl.raw("LUDEX 1 ZELT nothing").startswith("ERR"))
        self.assertTrue(self.ctl.raw("LUDEX 1 ZELT a=b lead=x").startswith(
            "ERR"))
