"""Checks of the IRC sidecar: the stand-in's rewriting, and a session through
it against the real ngircd."""
import os
import socket
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import ircserver  # noqa: E402


class Rewrite(unittest.TestCase):
    def test_table(self):
        cases = [
            ("IRCX", [], [":srv 800 * 1 0 ANON 512 *"]),
            ("ircx", [], [":srv 800 * 1 0 ANON 512 *"]),
            # A hidden room ("h") is IRC's secret room; a visible one is not.
            ("CREATE #r nh", ["JOIN #r", "MODE #r +s"], []),
            ("CREATE #r n", ["JOIN #r"], []),
            ("CREATE #r nhk k1", ["JOIN #r k1", "MODE #r +k k1", "MODE #r +s"], []),
            ("CREATE #r nk k1", ["JOIN #r k1", "MODE #r +k k1"], []),
            ("CREATE #r nh ", ["JOIN #r", "MODE #r +s"], []),
            ("PRIVMSG #r :CREATE x", ["PRIVMSG #r :CREATE x"], []),
            ("NICK ann", ["NICK ann"], []),
            ("USER ann{2 . . :Vblt ann{2", ["USER ann_2 . . :Vblt ann{2"], []),
            ("USER ann . . :Vblt ann", ["USER ann . . :Vblt ann"], []),
        ]
        for line, up, back in cases:
            self.assertEqual(ircserver.ircx_rewrite(line, "srv"), (up, back), line)


class Session(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        info = os.path.join(os.environ.get("TMPDIR", "/tmp"), "ircserver-test-%d.info" % os.getpid())
        cls.info = info
        env = dict(os.environ, FD_SIDECAR_INFO=info)
        cls.proc = subprocess.Popen([sys.executable, os.path.join(os.path.dirname(HERE), "ircserver.py")],
                                    env=env, stdin=subprocess.DEVNULL)
        deadline = time.monotonic() + 30
        values = {}
        while time.monotonic() < deadline:
            if os.path.exists(info):
                lines = open(info).read().split("\n")
                if "READY" in lines:
                    values = dict(l.split("=", 1) for l in lines if "=" in l)
                    break
            time.sleep(0.05)
        cls.ports = values

    @classmethod
    def tearDownClass(cls):
        cls.proc.terminate()
        cls.proc.wait(20)
        if os.path.exists(cls.info):
            os.remove(cls.info)

    def read_until(self, sock, text, limit=10):
        data = b""
        deadline = time.monotonic() + limit
        while text.encode() not in data and time.monotonic() < deadline:
            sock.settimeout(max(0.01, deadline - time.monotonic()))
            try:
                chunk = sock.recv(4096)
            except socket.timeout:
                break
            if not chunk:
                break
            data += chunk
        return data.decode("latin-1")

    def test_ircx_create_and_scripted_client(self):
        self.assertIn("FD_IRC_PORT", self.ports)
        s = socket.create_connection(("127.0.0.1", int(self.ports["FD_IRC_PORT"])))
        s.sendall(b"IRCX\r\n")
        self.assertIn(":irc.orbelle.test 800 ", self.read_until(s, " 800 "))
        s.sendall(b"NICK a_rather_long_nick_of_25\r\nUSER x . . :x\r\nCREATE #k nhk key1\r\n")
        text = self.read_until(s, "End of NAMES")
        self.assertIn(" 001 a_rather_long_nick_of_25 ", text)
        self.assertIn("Bienvenue", text)
        self.assertIn("353 a_rather_long_nick_of_25 = #k :@a_rather_long_nick_of_25", text)

        ctl = socket.create_connection(("127.0.0.1", int(self.ports["FD_IRC_CTL_PORT"])))
        ctl.sendall(b"RUN --nick bob 'join #k key1' 'say #k hi' 'flood #k 30' 'part #k'\n")
        answer = self.read_until(ctl, "ERROR", 60)
        self.assertTrue(answer.startswith("DONE 0"), answer)
        text = self.read_until(s, "PART #k")
        self.assertIn("PRIVMSG #k :hi", text)
        self.assertEqual(text.count("PRIVMSG #k :flood "), 30)
        s.close()

    def test_flood_measured_by_a_quiet_listener(self):
        s = socket.create_connection(("127.0.0.1", int(self.ports["FD_IRC_PORT"])))
        s.sendall(b"NICK watcher\r\nUSER w . . :w\r\nCREATE #m n\r\n")
        self.read_until(s, "End of NAMES")
        answers = {}

        def run(name, line):
            ctl = socket.create_connection(("127.0.0.1", int(self.ports["FD_IRC_CTL_PORT"])))
            ctl.sendall(line)
            answers[name] = self.read_until(ctl, "\n" + "\x00", 60)
            ctl.close()

        import threading
        listener = threading.Thread(target=run, args=("pyl", b"RUN --quiet --nick pyl 'join #m' 'measure #m 50'\n"))
        listener.start()
        self.assertIn("JOIN", self.read_until(s, ":pyl!"))
        run("flooder", b"RUN --quiet --nick flooder 'join #m' 'flood #m 50'\n")
        listener.join(60)
        s.close()
        self.assertTrue(answers["flooder"].startswith("DONE 0"), answers["flooder"])
        self.assertTrue(answers["pyl"].startswith("DONE 0\nMEASURE lines=50 rate="), answers["pyl"])


class Percentile(unittest.TestCase):
    def test_nearest_rank(self):
        sys.path.insert(0, os.path.dirname(HERE))
        import ircclient
        cases = [([], 0.5, 0), ([7], 0.95, 7), ([1, 2, 3, 4], 0.5, 2), (list(range(1, 101)), 0.95, 95),
                 ([5, 1, 3], 0.5, 3)]
        for values, share, expected in cases:
            self.assertEqual(ircclient.percentile(values, share), expected, (values, share))


if __name__ == "__main__":
    unittest.main()
