"""Registration, keep-alives, channel traffic and its answers, short UDP
forms and the proxy preamble, seen from a hub's side of the wire."""

import struct

from .harness import StandInCase, full, parse, proxy, records, u32

SERVICE = u32(255)


class RegistrationTest(StandInCase):
    def test_init_is_answered_with_a_member_id(self):
        cases = [(b"LKWE", b"(null pseudo) "), (b"ABCD", "Jérôme".encode("cp1252")),
                 (b"LKWE", b"")]
        members = set()
        for hub_id, pseudo in cases:
            with self.subTest(hub_id=hub_id, pseudo=pseudo):
                link = self.hub(register=False)
                link.tcp.sendall(full(hub_id, b"INIT", flags=2, seq=7,
                                      data=pseudo))
                reply = parse(link.recv_tcp())
                self.assertEqual(reply["header_len"], 34)
                self.assertEqual(reply["version"], 1)
                self.assertEqual(reply["total"], 34 + len(reply["data"]))
                self.assertLess(reply["flags"] & 0xFF, 128)
                self.assertEqual(reply["dst"], hub_id)
                self.assertEqual(reply["seq"], 7)
                self.assertNotEqual(reply["member"], bytes(12))
                members.add(reply["member"])
                info = self.ctl.kv("LINK last")
                self.assertEqual(info["state"], "registered")
                self.assertEqual(info["init"], "1")
                self.assertEqual(bytes.fromhex(info["member"]), reply["member"])
                self.assertEqual(info["hub"], hub_id.decode())
        self.assertEqual(len(members), len(cases), "each link its own member id")
        self.assertEqual(self.ctl.kv("STATS")["registered"], str(len(cases)))

    def test_pseudo_is_shown_escaped(self):
        self.hub(pseudo="Zoé 1".encode("cp1252"))
        self.assertEqual(self.ctl.kv("LINK 1")["pseudo"], "Zo%E9%201")

    def test_refused_init_reply(self):
        self.ctl.ok("ANSWER init refuse")
        link = self.hub(register=False)
        link.tcp.sendall(full(b"LKWE", b"INIT", flags=2))
        reply = parse(link.recv_tcp())
        self.assertEqual(reply["flags"] & 0xFF, 200)
        self.assertNotEqual(reply["dst"], b"LKWE")
        self.assertEqual(self.ctl.kv("LINK 1")["state"], "open")

    def test_repeated_init_keeps_the_member_id(self):
        link = self.hub()
        first = link.member
        second = link.register()["member"]
        self.assertEqual(first, second)
        self.assertEqual(self.ctl.kv("LINK 1")["init"], "2")


class KeepAliveTest(StandInCase):
    def test_kaka_counted_per_link_and_transport(self):
        a, b = self.hub(), self.hub()
        for seq in range(3):
            a.tcp.sendall(full(b"LKWE", b"KAKA", seq=seq, member=a.member))
        for seq in range(2):
            a.udp.send(full(b"LKWE", b"KAKA", seq=seq, member=a.member))
        b.udp.send(full(b"LKWE", b"KAKA", member=b.member))
        self.ctl.wait("1", "kaka_tcp", 3)
        self.ctl.wait("1", "kaka_udp", 2)
        self.ctl.wait("2", "kaka_udp", 1)
        one, two = self.ctl.kv("LINK 1"), self.ctl.kv("LINK 2")
        self.assertEqual((one["kaka_tcp"], one["kaka_udp"]), ("3", "2"))
        self.assertEqual((two["kaka_tcp"], two["kaka_udp"]), ("0", "1"))
        self.assertEqual(one["sent"], "1", "keep-alives get no answer")
        totals = self.ctl.kv("STATS")
        self.assertEqual((totals["kaka_tcp"], totals["kaka_udp"]), ("3", "3"))

    def test_udp_bound_by_member_id_not_by_order(self):
        a, b = self.hub(), self.hub()
        b.udp.send(full(b"LKWE", b"KAKA", member=b.member))
        self.ctl.wait("2", "kaka_udp", 1)
        self.assertEqual(self.ctl.kv("LINK 1")["kaka_udp"], "0")
        self.assertEqual(self.ctl.kv("LINK 2")["udp"],
                         "127.0.0.1:%d" % b.udp.getsockname()[1])

    def test_udp_without_member_and_two_links_is_unlinked(self):
        self.hub(), self.hub()
        self.links[0].udp.send(b"\x80\x03hi")
        self.ctl.wait("any", "udp_unlinked", 1)
        self.assertEqual(self.ctl.kv("LINK 0")["short"], "1")


class TrafficTest(StandInCase):
    def test_echo_identified_and_ack_answers(self):
        # (flags sent, flags answered, data answered)
        cases = [(0x0000, 0x0000, b"hello"), (0x0010, 0x0080, b"hello"),
                 (0x0011, 0x00C0, b""), (0x0001, 0x00C0, b"")]
        link = self.hub()
        for via in ("tcp", "udp"):
            for seq, (flags, answer_flags, answer_data) in enumerate(cases, 40):
                with self.subTest(via=via, flags=flags):
                    msg = full(u32(3), b"GAME", flags=flags, seq=seq,
                               member=link.member, data=b"hello")
                    if via == "tcp":
                        link.tcp.sendall(msg)
                        reply = parse(link.recv_tcp())
                    else:
                        link.udp.send(msg)
                        reply = parse(link.recv_udp())
                    self.assertEqual(reply["flags"], answer_flags)
                    self.assertEqual(reply["src"], b"GAME")
                    self.assertEqual(reply["dst"], u32(3))
                    self.assertEqual(reply["data"], answer_data)
                    self.assertEqual(reply["member"], link.member)
                    if answer_flags & 0x80:
                        self.assertEqual(reply["seq"], seq)
        counts = self.ctl.kv("LINK 1")
        self.assertEqual((counts["ident"], counts["ackable"]), ("2", "4"))

    def test_answer_switches(self):
        # (kind switched off, flags of the message that then gets no answer)
        cases = [("echo", 0x0000), ("ident", 0x0010), ("ack", 0x0001)]
        link = self.hub()
        for n, (kind, flags) in enumerate(cases, 1):
            with self.subTest(kind=kind):
                self.ctl.ok("ANSWER %s off" % kind)
                link.tcp.sendall(full(u32(1), b"GAME", flags=flags,
                                      member=link.member, data=b"x"))
                self.ctl.wait("1", "msg_tcp", 1 + n)
                self.assertEqual(self.ctl.kv("LINK 1")["sent"], "1")
                self.ctl.ok("ANSWER %s on" % kind)
        link.tcp.sendall(full(u32(1), b"GAME", member=link.member, data=b"y"))
        self.assertEqual(parse(link.recv_tcp())["data"], b"y")

    def test_no_echo_for_hub_notices(self):
        link = self.hub()
        link.tcp.sendall(full(u32(4), b"LPCD", member=link.member))
        link.tcp.sendall(full(b"LKWE", b"MSGD", member=link.member, data=b"t"))
        self.ctl.wait("1", "msg_tcp", 3)
        self.assertTrue(link.quiet_tcp())
        self.assertEqual(self.ctl.ok("LAST LPCD").split("/")[4], "#4")

    def test_bind_request_answered_by_service_bind(self):
        link = self.hub()
        link.udp.send(full(SERVICE, b"BIND", flags=1, seq=11,
                           member=link.member, data=b"ZDP1" + bytes((6,))))
        reply = parse(link.recv_udp())
        self.assertEqual(reply["flags"], 0x00C0)
        self.assertEqual(reply["seq"], 11)
        self.assertEqual(reply["dst"], b"LKWE")
        self.assertEqual(records(reply["data"]),
                         [(b"CMD", b"BIND"), (b"CHNL", b"\x06")])
        self.ctl.ok("ANSWER bind off")
        link.udp.send(full(SERVICE, b"BIND", flags=1, seq=12,
                           member=link.member, data=b"ZDP1" + bytes((6,))))
        link.tcp.sendall(full(SERVICE, b"UNBD", member=link.member,
                              data=bytes((6,))))
        self.ctl.wait("1", "unbd", 1)
        self.ctl.wait("1", "bind", 2)
        self.assertEqual(self.ctl.kv("LINK 1")["sent"], "2")


class ShortFormTest(StandInCase):
    def test_short_datagrams_echoed_and_logged(self):
        link = self.hub()
        mark = int(self.ctl.kv("LOG")["next"])
        for dgram in (b"\x80\x05abc", b"\x81\x05\x07abc", b"\x80\x05"):
            with self.subTest(dgram=dgram):
                link.udp.send(dgram)
                self.assertEqual(link.recv_udp(), dgram)
        entries = self.ctl.ok("LOG %d" % mark).split()[2:]
        fields = [e.split("/") for e in entries]
        self.assertEqual([f[3] for f in fields], ["s80", "s81", "s80"])
        self.assertEqual(fields[1][4:7], ["#5", "-", "07"])
        self.assertEqual(fields[1][8:], ["3", "616263"])
        self.assertEqual(self.ctl.kv("LINK 1")["short"], "3")

    def test_short_pushed_on_command(self):
        link = self.hub()
        link.udp.send(full(b"LKWE", b"KAKA", member=link.member))
        self.ctl.wait("1", "kaka_udp", 1)
        self.ctl.ok("SHORT 1 9 data=0102")
        self.assertEqual(link.recv_udp(), b"\x80\x09\x01\x02")
        self.ctl.ok("SHORT 1 9 text=ab third=0x41")
        self.assertEqual(link.recv_udp(), b"\x81\x09\x41ab")

    def test_datagram_cutting(self):
        link = self.hub()
        kaka = full(b"LKWE", b"KAKA", member=link.member)
        link.udp.send(kaka + kaka)  # two messages in one datagram
        self.ctl.wait("1", "kaka_udp", 2)
        # 40 bytes whose first message claims 44: dropped whole
        link.udp.send(full(b"LKWE", b"KAKA", member=link.member,
                           data=bytes(6), total=44))
        self.ctl.wait("1", "bad", 1)
        self.assertEqual(self.ctl.kv("LINK 1")["kaka_udp"], "2")


class ProxyTest(StandInCase):
    def test_preamble_recorded_and_answered(self):
        link = self.hub(register=False)
        target = bytes((10, 0, 0, 7)) + struct.pack("<H", 5001)
        preamble = proxy("0") + proxy("2", target) + proxy("1")
        self.assertEqual(len(preamble), 30)
        link.tcp.sendall(preamble)
        answer = parse(link.recv_tcp())
        self.assertEqual(answer["total"], 34)
        link.udp.send(preamble)
        self.assertEqual(len(link.recv_udp()), 34)
        info = self.ctl.kv("LINK 1")
        self.assertEqual(info["proxy_to"], "10.0.0.7:5001")
        self.assertEqual(info["proxy"], "6")
        fields = [e.split("/") for e in self.ctl.ok("LOG").split()[2:]]
        self.assertEqual([(f[2], f[3], f[4]) for f in fields],
                         [("tcp", "proxy", c) for c in "021"]
                         + [("udp", "proxy", c) for c in "021"])
        link.register()
        self.assertEqual(self.ctl.kv("LINK 1")["state"], "registered")
