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
            ("CREATE #r nh", ["JOIN #r"], []),
            ("CREATE #r nhk k1", ["JOIN #r k1", "MODE #r +k k1"], []),
            ("CREATE #r nh ", ["JOIN #r"], []),
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


if __name__ == "__main__":
    unittest.main()
