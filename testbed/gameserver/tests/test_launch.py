"""The stand-in as a program: sidecar start-up, ports on the command line,
traces only when asked, clean stop on SIGTERM."""

import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

from .harness import FOLDER, Control, HubLink

SCRIPT = os.path.join(FOLDER, "server.py")
START_TIMEOUT = 20.0  # a loaded machine starts Python slowly


def free_port():
    # a port free for TCP and UDP at this moment
    for _ in range(50):
        with socket.socket() as tcp, socket.socket(socket.AF_INET,
                                                   socket.SOCK_DGRAM) as udp:
            tcp.bind(("127.0.0.1", 0))
            port = tcp.getsockname()[1]
            try:
                udp.bind(("127.0.0.1", port))
            except OSError:
                continue
            return port
    raise RuntimeError("no free port")


def read(path):
    with open(path) as f:
        return f.read()


def values(text):
    return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)


class LaunchTest(unittest.TestCase):
    def start(self, *args, env=None):
        proc = subprocess.Popen([sys.executable, SCRIPT, *args],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                stdin=subprocess.DEVNULL, env=env)
        self.addCleanup(self.reap, proc)
        return proc

    @staticmethod
    def reap(proc):
        if proc.poll() is None:
            proc.kill()
        proc.communicate(timeout=START_TIMEOUT)

    def stop(self, proc):
        proc.send_signal(signal.SIGTERM)
        out, err = proc.communicate(timeout=START_TIMEOUT)
        self.assertEqual(proc.returncode, 0, err)
        return out.decode(), err.decode()

    def test_sidecar_writes_its_ports_then_ready(self):
        with tempfile.TemporaryDirectory() as folder:
            info = os.path.join(folder, "info")
            open(info, "w").close()
            proc = self.start(env=dict(os.environ, FD_SIDECAR_INFO=info))
            deadline = time.monotonic() + START_TIMEOUT
            while "READY" not in read(info).splitlines():
                self.assertIsNone(proc.poll(), "stand-in ended early")
                self.assertLess(time.monotonic(), deadline, "no READY line")
                time.sleep(0.05)
            lines = read(info).splitlines()
        self.assertEqual(lines[-1], "READY")
        found = values("\n".join(lines))
        self.assertEqual(sorted(found), ["FD_GAMESERVER_CONTROL",
                                         "FD_GAMESERVER_PORT"])
        ctl = Control(int(found["FD_GAMESERVER_CONTROL"]))
        link = HubLink(int(found["FD_GAMESERVER_PORT"]))
        try:
            self.assertNotEqual(link.register()["member"], bytes(12))
            self.assertEqual(ctl.kv("STATS")["registered"], "1")
        finally:
            link.close()
        out, err = self.stop(proc)  # a control client still connected
        ctl.close()
        self.assertEqual((out, err), ("", ""), "silent unless asked")

    def test_by_hand_with_a_port_and_traces(self):
        port = free_port()
        proc = self.start("--port", str(port), "-v")
        first = proc.stdout.readline().decode()
        self.assertEqual(first, "FD_GAMESERVER_PORT=%d\n" % port)
        control = int(values(proc.stdout.readline().decode())["FD_GAMESERVER_CONTROL"])
        self.assertEqual(proc.stdout.readline(), b"READY\n")
        link = HubLink(port)
        link.register()
        link.close()
        ctl = Control(control)
        ctl.wait("any", "init", 1)
        ctl.close()
        _out, err = self.stop(proc)
        self.assertIn("LKWE/INIT", err)

    def test_busy_port_is_a_clear_error(self):
        with socket.socket() as busy:
            busy.bind(("127.0.0.1", 0))
            busy.listen(1)
            proc = self.start("--port", str(busy.getsockname()[1]))
            out, err = proc.communicate(timeout=START_TIMEOUT)
        self.assertEqual(proc.returncode, 2)
        self.assertEqual(out, b"")
        self.assertIn(b"cannot open the ports", err)

    def test_bad_arguments(self):
        proc = self.start("--port", "70000")
        _out, err = proc.communicate(timeout=START_TIMEOUT)
        self.assertEqual(proc.returncode, 2)
        self.assertIn(b"0..65535", err)
