#!/usr/bin/env python3
"""Local IRC server for the chat's tests: Debian's ngircd on 127.0.0.1 with a
generated configuration, behind a small IRCX stand-in.

ngircd speaks plain IRC. The stand-in relays every client to it unchanged,
except for what ngircd lacks of IRCX:
  "IRCX"                      answered with an 800 line under ngircd's name
  "CREATE room modes [key]"   sent on as "JOIN room [key]" (and
                              "MODE room +k key" when a key is given,
                              "MODE room +s" when the modes hold the
                              hidden room's "h": not listed)

As a sidecar (FD_SIDECAR_INFO set) it writes FD_IRC_PORT (the stand-in),
FD_IRCD_PORT (ngircd itself), FD_IRC_CTL_PORT (the control port) and READY;
by hand it prints the same lines. The control port takes one line per
connection and answers one line:
  RUN <ircclient.py arguments>   runs the scripted client against ngircd,
                                 answers "DONE <exit code>" and its output
  STOP-IRCD                      stops ngircd, answers "DONE 0"
  STATS                          answers "DONE 0" and client counts

Options: --ping-timeout S --pong-timeout S (ngircd's PingTimeout and
PongTimeout), --name NAME (server name).
"""
import argparse
import os
import re
import shlex
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
MOTD = "Bienvenue sur le serveur de test Orbelle"


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def write_config(folder, name, port, ping, pong):
    path = os.path.join(folder, "ngircd.conf")
    lines = [
        "[Global]",
        "Name = %s" % name,
        "Info = Orbelle test server",
        "Listen = 127.0.0.1",
        "Ports = %d" % port,
        "MotdPhrase = %s" % MOTD,
        "ServerUID = %d" % os.getuid(),
        "ServerGID = %d" % os.getgid(),
        "PidFile = %s" % os.path.join(folder, "ngircd.pid"),
        "HelpFile = %s" % os.path.join(folder, "none"),
        "[Limits]",
        # Incident nicks are longer than the default 9.
        "MaxNickLength = 30",
        # Tests open many connections from one address.
        "MaxConnectionsIP = 0",
        # A fast client is otherwise held to a few lines a second.
        "MaxPenaltyTime = 0",
    ]
    if ping:
        lines.append("PingTimeout = %d" % ping)
    if pong:
        lines.append("PongTimeout = %d" % pong)
    lines += [
        "[Options]",
        "Ident = no",
        "DNS = no",
        "PAM = no",
    ]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


class Ircd:
    def __init__(self, name, ping, pong):
        self.name = name
        self.folder = tempfile.mkdtemp(prefix="fd-ircd-")
        self.port = free_port()
        self.conf = write_config(self.folder, name, self.port, ping, pong)
        self.log = open(os.path.join(self.folder, "ngircd.log"), "w")
        self.proc = subprocess.Popen(["/usr/sbin/ngircd", "-n", "-f", self.conf],
                                     stdin=subprocess.DEVNULL, stdout=self.log,
                                     stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 20
        while True:
            if self.proc.poll() is not None:
                raise RuntimeError("ngircd ended: see " + self.log.name)
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise RuntimeError("ngircd does not listen")
                time.sleep(0.05)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def remove(self):
        self.stop()
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)


def ircx_rewrite(line, server_name):
    """What the stand-in does with one client line (without CR LF): a list
    of lines for ngircd and a list of lines for the client."""
    words = line.split(" ")
    command = words[0].upper() if words else ""
    if command == "IRCX":
        return [], [":%s 800 * 1 0 ANON 512 *" % server_name]
    if command == "CREATE" and len(words) >= 2:
        room = words[1]
        key = words[3] if len(words) >= 4 and words[3] else ""
        modes = words[2] if len(words) >= 3 else ""
        out = ["JOIN %s %s" % (room, key) if key else "JOIN %s" % room]
        if key:
            out.append("MODE %s +k %s" % (room, key))
        if "h" in modes:
            out.append("MODE %s +s" % room)
        return out, []
    if command == "USER" and len(words) >= 2:
        # IRCX servers take any user name; ngircd closes on one holding the
        # incident marker "{" of a retried nick, so those characters go.
        words[1] = re.sub(r"[^A-Za-z0-9_.-]", "_", words[1]) or "_"
        return [" ".join(words)], []
    return [line], []


class Relay:
    def __init__(self, ircd):
        self.ircd = ircd
        self.listener = socket.socket()
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(64)
        self.port = self.listener.getsockname()[1]
        self.clients = 0
        threading.Thread(target=self.accept_loop, daemon=True).start()

    def accept_loop(self):
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            self.clients += 1
            threading.Thread(target=self.serve, args=(client,), daemon=True).start()

    def serve(self, client):
        try:
            server = socket.create_connection(("127.0.0.1", self.ircd.port))
        except OSError:
            client.close()
            return
        lock = threading.Lock()

        def to_client(data):
            with lock:
                client.sendall(data)

        def downstream():
            try:
                while True:
                    data = server.recv(4096)
                    if not data:
                        break
                    to_client(data)
            except OSError:
                pass
            for s in (client, server):
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

        threading.Thread(target=downstream, daemon=True).start()
        pending = b""
        try:
            while True:
                data = client.recv(4096)
                if not data:
                    break
                pending += data
                while b"\n" in pending:
                    raw, pending = pending.split(b"\n", 1)
                    line = raw.rstrip(b"\r").decode("latin-1")
                    up, back = ircx_rewrite(line, self.ircd.name)
                    for l in back:
                        to_client((l + "\r\n").encode("latin-1"))
                    for l in up:
                        server.sendall((l + "\r\n").encode("latin-1"))
        except OSError:
            pass
        for s in (client, server):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        client.close()
        server.close()


class Control:
    def __init__(self, ircd, relay):
        self.ircd = ircd
        self.relay = relay
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(8)
        self.port = self.listener.getsockname()[1]
        threading.Thread(target=self.accept_loop, daemon=True).start()

    def accept_loop(self):
        while True:
            try:
                conn, _ = self.listener.accept()
            except OSError:
                return
            threading.Thread(target=self.serve, args=(conn,), daemon=True).start()

    def serve(self, conn):
        with conn:
            data = b""
            while b"\n" not in data:
                chunk = conn.recv(4096)
                if not chunk:
                    return
                data += chunk
            line = data.split(b"\n", 1)[0].decode("latin-1").strip()
            conn.sendall(self.run(line).encode("latin-1"))

    def run(self, line):
        command, _, rest = line.partition(" ")
        if command == "RUN":
            # Only the scripted client runs, its arguments never through a shell.
            args = [sys.executable, os.path.join(HERE, "ircclient.py"),
                    "--port", str(self.ircd.port)] + shlex.split(rest)
            done = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
            out = done.stdout.decode("latin-1") + done.stderr.decode("latin-1")
            return "DONE %d\n%s" % (done.returncode, out)
        if command == "STOP-IRCD":
            self.ircd.stop()
            return "DONE 0\n"
        if command == "STATS":
            return "DONE 0\nclients %d\n" % self.relay.clients
        return "ERROR unknown command\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--ping-timeout", type=int, default=0)
    parser.add_argument("--pong-timeout", type=int, default=0)
    parser.add_argument("--name", default="irc.orbelle.test")
    opts = parser.parse_args()

    ircd = Ircd(opts.name, opts.ping_timeout, opts.pong_timeout)
    stopping = threading.Event()

    def stop(*_):
        stopping.set()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    try:
        relay = Relay(ircd)
        control = Control(ircd, relay)
        info = "FD_IRC_PORT=%d\nFD_IRCD_PORT=%d\nFD_IRC_CTL_PORT=%d\n" % (relay.port, ircd.port, control.port)
        path = os.environ.get("FD_SIDECAR_INFO")
        if path:
            with open(path, "a") as f:
                f.write(info + "READY\n")
        else:
            sys.stdout.write(info + "READY\n")
            sys.stdout.flush()
        while not stopping.wait(1):
            pass
    finally:
        ircd.remove()


if __name__ == "__main__":
    main()
