"""The control channel's reading commands: LOG, LAST, LINKS, STATS, WAIT,
CLEAR, ANSWER, QUIT."""

import time

from .harness import Control, StandInCase, full, u32


class LogTest(StandInCase):
    def test_log_entries_and_marks(self):
        link = self.hub(hub_id=b"LKWE", pseudo=b"p")
        link.tcp.sendall(full(u32(2), b"ZDP1", flags=0x10, seq=9,
                              member=link.member, data=b"\x01\xff"))
        link.udp.send(full(b"LKWE", b"KAKA", seq=3, member=link.member))
        self.ctl.wait("1", "kaka_udp", 1)
        reply = self.ctl.ok("LOG").split()
        self.assertEqual(reply[:2], ["next=3", "more=0"])
        self.assertEqual(reply[2:], [
            "0/1/tcp/msg/LKWE/INIT/0002/0/1/70",
            "1/1/tcp/msg/#2/ZDP1/0010/9/2/01ff",
            "2/1/udp/msg/LKWE/KAKA/0000/3/0/",
        ])
        self.assertEqual(self.ctl.ok("LOG 1 1").split(),
                         ["next=2", "more=1", "1/1/tcp/msg/#2/ZDP1/0010/9/2/01ff"])
        self.assertEqual(self.ctl.ok("LOG 3"), "next=3 more=0")
        self.assertEqual(self.ctl.ok("LAST ZDP1"), "1/1/tcp/msg/#2/ZDP1/0010/9/2/01ff")
        self.assertEqual(self.ctl.ok("LAST #2"), "none")
        link.tcp.sendall(full(u32(2), b"ZDP1", member=link.member, data=b"2"))
        self.ctl.wait("1", "msg_tcp", 3)
        self.assertTrue(self.ctl.ok("LAST ZDP1").endswith("/1/32"))

    def test_ids_in_text_form(self):
        # (DstId bytes, how LOG and LAST show it)
        cases = [(b"AB_9", "AB_9"), (u32(254), "#254"), (b"a b\xe9", "x612062e9")]
        link = self.hub()
        for n, (dst, shown) in enumerate(cases, 2):
            with self.subTest(dst=dst):
                link.tcp.sendall(full(b"LKWE", dst, member=link.member))
                self.ctl.wait("1", "msg_tcp", n)
                self.assertEqual(self.ctl.ok("LAST " + shown).split("/")[5], shown)

    def test_clear_keeps_links_and_indexes(self):
        link = self.hub()
        self.assertEqual(self.ctl.kv("CLEAR"), {"next": "1"})
        self.assertEqual(self.ctl.ok("LOG"), "next=1 more=0")
        self.assertEqual(self.ctl.kv("LINK 1")["init"], "0")
        self.assertEqual(self.ctl.ok("LINKS"), "count=1 1:registered")
        link.tcp.sendall(full(b"LKWE", b"KAKA", member=link.member))
        self.ctl.wait("1", "kaka_tcp", 1)
        self.assertTrue(self.ctl.ok("LOG").split()[2].startswith("1/1/tcp/msg/"))

    def test_long_logs_come_in_parts(self):
        link = self.hub()
        big = full(u32(1), b"BULK", member=link.member, data=bytes(4000))
        self.ctl.ok("ANSWER echo off")
        for _ in range(300):
            link.tcp.sendall(big)
        self.ctl.wait("1", "msg_tcp", 301)
        seen, start, rounds = [], 0, 0
        while True:
            fields = self.ctl.ok("LOG %d" % start).split()
            seen += [int(e.split("/")[0]) for e in fields[2:]]
            start = int(fields[0].split("=")[1])
            rounds += 1
            if fields[1] == "more=0":
                break
        self.assertEqual(seen, list(range(301)))
        self.assertGreater(rounds, 1)

    def test_links_and_stats(self):
        self.assertEqual(self.ctl.ok("LINKS"), "count=0")
        self.hub(), self.hub(register=False)
        self.ctl.wait("any", "links", 2)
        self.assertEqual(self.ctl.ok("LINKS"), "count=2 1:registered 2:open")
        stats = self.ctl.kv("STATS")
        self.assertEqual({k: stats[k] for k in ("links", "live", "registered",
                                                "init", "accept", "silent")},
                         {"links": "2", "live": "2", "registered": "1",
                          "init": "1", "accept": "open", "silent": "off"})

    def test_answer_shows_every_switch(self):
        self.assertEqual(self.ctl.ok("ANSWER"), "init=on echo=on ident=on ack=on "
                         "bind=on short=on proxy=on")
        self.assertIn("init=refuse", self.ctl.ok("ANSWER init refuse"))


class WaitTest(StandInCase):
    def test_wait_returns_when_the_count_is_reached(self):
        link = self.hub()
        self.ctl.sock.sendall(b"WAIT 1 kaka_tcp 2 4000\nPING\n")
        for seq in range(2):
            link.tcp.sendall(full(b"LKWE", b"KAKA", seq=seq, member=link.member))
        self.assertEqual(self.ctl.file.readline(), b"OK 2\n")
        self.assertEqual(self.ctl.file.readline(), b"OK PONG\n")

    def test_wait_times_out(self):
        started = time.monotonic()
        self.assertEqual(self.ctl.raw("WAIT any init 1 150"), "ERR timeout 0")
        self.assertLess(time.monotonic() - started, 2.0)

    def test_wait_for_a_link_not_yet_accepted(self):
        self.ctl.sock.sendall(b"WAIT 1 init 1 4000\n")
        self.hub()
        self.assertEqual(self.ctl.file.readline(), b"OK 1\n")

    def test_one_waiting_client_does_not_block_another(self):
        self.ctl.sock.sendall(b"WAIT any init 1 4000\n")
        other = Control(self.server.control_port)
        try:
            self.assertEqual(other.raw("PING"), "OK PONG")
            self.hub()
            self.assertEqual(self.ctl.file.readline(), b"OK 1\n")
        finally:
            other.close()

    def test_quit_and_vanishing_waiter(self):
        other = Control(self.server.control_port)
        other.sock.sendall(b"WAIT any init 1 4000\n")
        other.close()
        bye = Control(self.server.control_port)
        self.assertEqual(bye.raw("QUIT"), "OK bye")
        self.assertEqual(bye.file.readline(), b"")
        bye.close()
        self.hub()
