"""Checks of the web stand-in's scripted answers, through a real socket."""

import http.client
import json
import os
import socket
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import server  # noqa: E402


class StandInTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        root = os.path.join(cls.tmp.name, "root")
        os.makedirs(os.path.join(root, "sub"))
        with open(os.path.join(root, "page.htm"), "wb") as f:
            f.write(b"<embed>")
        with open(os.path.join(root, "sub", "data.bin"), "wb") as f:
            f.write(b"\x00\x01\xff")
        with open(os.path.join(cls.tmp.name, "secret.txt"), "wb") as f:
            f.write(b"secret")
        cls.log = os.path.join(cls.tmp.name, "access.log")
        server.Settings.root = root
        server.Settings.log_file = cls.log
        server.Settings.routes = {
            "/fixed": {"status": 200, "type": "application/x-fd-game", "body": "abc$$action"},
            "/fixed?x=1": {"status": 201, "body": "with query"},
            "/fromfile": {"body_file": "sub/data.bin"},
            "/escape": {"body_file": "../secret.txt"},
            "/half": {"body": "0123456789", "cut_after": 4},
        }
        cls.srv = server.Server(("127.0.0.1", 0), server.Handler)
        cls.port = cls.srv.server_address[1]
        cls.thread = threading.Thread(target=cls.srv.serve_forever, daemon=True)
        cls.thread.start()

    @classmethod
    def tearDownClass(cls):
        cls.srv.shutdown()
        cls.srv.server_close()
        cls.tmp.cleanup()

    def get(self, path, method="GET", body=None):
        c = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        c.request(method, path, body=body)
        r = c.getresponse()
        try:
            data = r.read()
        except http.client.IncompleteRead as e:
            data = e.partial
            r.cut = True
        c.close()
        return r, data

    def test_answers(self):
        cases = [
            ("/page.htm", 200, b"<embed>", "text/html"),
            ("/sub/data.bin", 200, b"\x00\x01\xff", "application/octet-stream"),
            ("/missing.htm", 404, None, None),
            ("/../secret.txt", 403, None, None),
            ("/_/status/404", 404, b"status 404", "text/plain"),
            ("/_/status/500?body=boom", 500, b"boom", None),
            ("/_/body?text=h%E9&type=text/html", 200, b"h\xe9", "text/html"),
            ("/_/bytes?n=300", 200, server.pattern(300), None),
            ("/_/slow?n=5000&chunk=1000&delay_ms=1", 200, server.pattern(5000), None),
            ("/_/nolength?n=10", 200, server.pattern(10), None),
            ("/_/echo?a=1&b=%A3", 200, b"a=1&b=\xa3", None),
            ("/fixed", 200, b"abc$$action", "application/x-fd-game"),
            ("/fixed?x=1", 201, b"with query", None),
            ("/fixed?x=2", 200, b"abc$$action", None),
            ("/fromfile", 200, b"\x00\x01\xff", None),
            ("/escape", 500, None, None),
            ("/_/bytes?n=-1", 400, None, None),
            ("/_/nosuch", 404, None, None),
        ]
        for path, status, body, ctype in cases:
            with self.subTest(path=path):
                r, data = self.get(path)
                self.assertEqual(status, r.status)
                if body is not None:
                    self.assertEqual(body, data)
                if ctype is not None:
                    self.assertEqual(ctype, r.getheader("Content-Type"))

    def test_redirect(self):
        r, _ = self.get("/_/redirect/302?to=/page.htm")
        self.assertEqual(302, r.status)
        self.assertEqual("/page.htm", r.getheader("Location"))

    def test_cut_transfer_announces_more_than_it_sends(self):
        for path, announced, sent in [("/_/cut?n=1000&sent=100", 1000, 100), ("/half", 10, 4)]:
            with self.subTest(path=path):
                r, data = self.get(path)
                self.assertEqual(str(announced), r.getheader("Content-Length"))
                self.assertEqual(sent, len(data))

    def test_post_echo_and_log(self):
        r, data = self.get("/_/echo", "POST", b"x=1\x00\xa3")
        self.assertEqual(b"x=1\x00\xa3", data)
        self.assertEqual("POST", r.getheader("X-Method"))
        # The server writes its record once the answer is out: wait for it.
        lines = []
        deadline = time.monotonic() + 10
        while not lines and time.monotonic() < deadline:
            with open(self.log, encoding="latin-1") as f:
                lines = [l for l in f.read().splitlines() if "target=/_/echo\t" in l]
            if not lines:
                time.sleep(0.01)
        self.assertIn("REQUEST\tmethod=POST\ttarget=/_/echo\tstatus=200\tsent=5\tbody=x=1\\x00\xa3", lines)

    def test_subst_env(self):
        root = server.Settings.root
        with open(os.path.join(root, "chat.vblt"), "wb") as f:
            f.write(b'<CNF_SERVINFO ADRS="127.0.0.1" PORT="${FD_T_PORT}">${FD_T_NONE} ${HOME} $${FD_T_PORT}')
        with open(os.path.join(root, "raw.bin"), "wb") as f:
            f.write(b"${FD_T_PORT}")
        with open(os.path.join(root, "p.htm"), "wb") as f:
            f.write(b"<a href=x:${FD_T_PORT}>")
        env = {"FD_T_PORT": "6123", "HOME": "/secret"}
        old = dict(os.environ)
        os.environ.update(env)
        try:
            cases = [
                (False, "/chat.vblt", b'<CNF_SERVINFO ADRS="127.0.0.1" PORT="${FD_T_PORT}">${FD_T_NONE} ${HOME} $${FD_T_PORT}'),
                (True, "/chat.vblt", b'<CNF_SERVINFO ADRS="127.0.0.1" PORT="6123">${FD_T_NONE} ${HOME} $6123'),
                (True, "/raw.bin", b"${FD_T_PORT}"),
                (True, "/p.htm", b"<a href=x:6123>"),
            ]
            for on, path, body in cases:
                with self.subTest(on=on, path=path):
                    server.Settings.subst_env = on
                    r, data = self.get(path)
                    self.assertEqual(200, r.status)
                    self.assertEqual(body, data)
                    self.assertEqual(str(len(body)), r.getheader("Content-Length"))
            r, _ = self.get("/chat.vblt")
            self.assertEqual("application/x-verbolt", r.getheader("Content-Type"))
        finally:
            server.Settings.subst_env = False
            os.environ.clear()
            os.environ.update(old)
            os.unlink(os.path.join(root, "chat.vblt"))
            os.unlink(os.path.join(root, "raw.bin"))
            os.unlink(os.path.join(root, "p.htm"))

    def test_sidecar_announcement(self):
        with tempfile.NamedTemporaryFile("r", delete=False) as info:
            path = info.name
        try:
            env = dict(os.environ, FD_SIDECAR_INFO=path)
            import subprocess
            p = subprocess.Popen([sys.executable, server.__file__, "--root", self.tmp.name, "--port-var", "FD_X_PORT"],
                                 env=env, stdout=subprocess.PIPE)
            try:
                line = p.stdout.readline().decode().strip()
                self.assertTrue(line.startswith("FD_X_PORT="))
                with open(path) as f:
                    text = f.read().splitlines()
                self.assertEqual([line, "READY"], text)
                port = int(line.split("=")[1])
                s = socket.create_connection(("127.0.0.1", port), timeout=5)
                s.close()
            finally:
                p.terminate()
                self.assertEqual(0, p.wait(timeout=10))
                p.stdout.close()
        finally:
            os.unlink(path)


if __name__ == "__main__":
    unittest.main()
