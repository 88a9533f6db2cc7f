"""Refusing, resetting, closing, staying silent, stalling, dropping and
coming back."""

import socket
import time

from .harness import IO_TIMEOUT, HubLink, StandInCase, full, parse


def connect_error(port, timeout=IO_TIMEOUT):
    """None when a TCP connect succeeds, else the exception type."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.settimeout(timeout)
    try:
        sock.connect(("127.0.0.1", port))
        return None
    except OSError as exc:
        return type(exc)
    finally:
        sock.close()


class ConnectionTest(StandInCase):
    def test_refuse_then_accept_again(self):
        self.hub()
        self.assertEqual(self.ctl.kv("REFUSE on")["accept"], "refuse")
        self.assertIs(connect_error(self.port), ConnectionRefusedError)
        self.assertEqual(self.ctl.kv("LINK 1")["state"], "registered",
                         "refusing new connections keeps the open ones")
        self.assertEqual(self.ctl.kv("REFUSE off")["accept"], "open")
        self.hub()
        self.assertEqual(self.ctl.kv("STATS")["live"], "2")

    def test_server_side_close(self):
        # (command, what the hub sees, closed= of the link)
        cases = [("RESET 1", "reset", "reset"), ("CLOSE 1", "eof", "server")]
        for command, seen, how in cases:
            with self.subTest(command=command):
                self.ctl.ok("CLEAR")
                link = self.hub()
                number = self.ctl.kv("LINK last")["link"]
                self.assertEqual(self.ctl.kv(command.replace("1", number)),
                                 {"closed": "1"})
                try:
                    data = link.tcp.recv(100)
                    self.assertEqual((seen, data), ("eof", b""))
                except ConnectionResetError:
                    self.assertEqual(seen, "reset")
                info = self.ctl.kv("LINK " + number)
                self.assertEqual((info["state"], info["closed"]),
                                 ("closed", how))
                self.assertTrue(self.ctl.raw("MSG %s tcp a b c d" % number)
                                .startswith("ERR"))

    def test_close_and_reset_all(self):
        for command in ("CLOSE all", "RESET all"):
            with self.subTest(command=command):
                self.hub(), self.hub()
                self.assertEqual(self.ctl.kv(command)["closed"], "2")
                self.assertEqual(self.ctl.kv("STATS")["live"], "0")

    def test_peer_close_is_seen(self):
        link = self.hub()
        link.tcp.close()
        self.eventually(lambda: self.ctl.kv("LINK 1")["state"] == "closed",
                        "link 1 closed")
        self.assertEqual(self.ctl.kv("LINK 1")["closed"], "peer")

    def test_silent_answers_nothing(self):
        self.assertEqual(self.ctl.kv("SILENT on")["silent"], "on")
        link = self.hub(register=False)
        link.tcp.sendall(full(b"LKWE", b"INIT", flags=2))
        for flags in (0x0000, 0x0010, 0x0001):
            link.tcp.sendall(full(b"\x02\0\0\0", b"GAME", flags=flags, data=b"q"))
        link.udp.send(b"\x80\x02q")
        self.ctl.wait("1", "msg_tcp", 4)
        self.ctl.wait("1", "short", 1)
        self.assertTrue(link.quiet_tcp())
        info = self.ctl.kv("LINK 1")
        self.assertEqual((info["state"], info["init"], info["sent"]),
                         ("open", "1", "0"))
        self.ctl.ok("SILENT off")
        self.assertNotEqual(link.register()["member"], bytes(12))

    def test_init_alone_unanswered(self):
        self.ctl.ok("ANSWER init off")
        link = self.hub(register=False)
        link.tcp.sendall(full(b"LKWE", b"INIT", flags=2))
        link.tcp.sendall(full(b"\x02\0\0\0", b"GAME", data=b"e"))
        self.assertEqual(parse(link.recv_tcp())["data"], b"e")
        self.assertEqual(self.ctl.kv("LINK 1")["state"], "open")

    def test_stall_leaves_connects_hanging(self):
        self.hub()
        self.assertEqual(self.ctl.kv("STALL on")["accept"], "stall")
        self.assertIs(connect_error(self.port, timeout=0.3), socket.timeout)
        self.assertEqual(self.ctl.kv("STALL off")["accept"], "open")
        self.hub()
        self.assertEqual(self.ctl.kv("STATS")["links"], "2",
                         "the queue filler is not a link")

    def test_drop_closes_refuses_and_ignores_udp(self):
        for how in ("", " reset"):
            with self.subTest(how=how):
                self.ctl.ok("CLOSE all")
                link = self.hub()
                self.assertEqual(self.ctl.kv("DROP 60" + how)["closed"], "1")
                try:
                    self.assertEqual(link.tcp.recv(100), b"")
                    self.assertEqual(how, "")
                except ConnectionResetError:
                    self.assertEqual(how, " reset")
                stats = self.ctl.kv("STATS")
                self.assertEqual((stats["accept"], stats["udp"]), ("drop", "down"))
                ignored = int(stats["udp_ignored"])
                link.udp.send(full(b"LKWE", b"KAKA", member=link.member))
                self.ctl.wait("any", "udp_ignored", ignored + 1)
                self.assertIs(connect_error(self.port), ConnectionRefusedError)
                self.assertEqual(self.ctl.kv("LINK last")["closed"], "drop")
                self.ctl.ok("REFUSE off")

    def test_drop_comes_back_by_itself(self):
        self.hub()
        started = time.monotonic()
        self.ctl.ok("DROP 0.3")
        self.eventually(lambda: connect_error(self.port) is None,
                        "the server to come back")
        self.assertGreaterEqual(time.monotonic() - started, 0.3)
        self.assertEqual(self.ctl.kv("STATS")["accept"], "open")
        again = self.hub()
        again.udp.send(full(b"LKWE", b"KAKA", member=again.member))
        self.ctl.wait("last", "kaka_udp", 1)
        self.assertEqual(self.ctl.kv("STATS")["udp_ignored"], "0")

    def test_refuse_off_ends_a_drop(self):
        self.ctl.ok("DROP 600")
        self.assertIs(connect_error(self.port), ConnectionRefusedError)
        self.ctl.ok("REFUSE off")
        self.assertEqual(self.ctl.kv("STATS")["udp"], "up")
        self.hub()

    def test_reconnection_gets_a_new_link(self):
        first = self.hub()
        self.ctl.ok("CLOSE 1")
        self.assertEqual(first.tcp.recv(10), b"")
        second = self.hub()
        self.assertNotEqual(first.member, second.member)
        self.assertEqual(self.ctl.ok("LINKS"), "count=2 1:closed 2:registered")
        # a keep-alive with the old member id from the new UDP socket counts
        # for the only live link
        second.udp.send(full(b"LKWE", b"KAKA", member=first.member))
        self.ctl.wait("2", "kaka_udp", 1)


class RefusedPortTest(StandInCase):
    def test_connect_refused_not_reset_after_accept(self):
        self.ctl.ok("REFUSE on")
        with self.assertRaises(ConnectionRefusedError):
            HubLink(self.port)
        self.assertEqual(self.ctl.kv("STATS")["links"], "0")
