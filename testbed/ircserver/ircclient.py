#!/usr/bin/env python3
"""Scripted IRC client for the chat's tests, demos and benchmarks.

  ircclient.py --port P --nick bob STEP...

Each STEP is one argument:
  "join #room"           JOIN, then waits for the end of the room's names
  "say TARGET text"      PRIVMSG to a room or a nick ("whisper" is the same)
  "part #room"           PART
  "refused #room"        JOIN without a key, then waits for the server's
                         475 (wrong or missing key) for that room
  "listed #room"         LIST, then the room must be among the answers
  "unlisted #room"       LIST, then the room must not be among them
  "expect text"          waits for a received line holding the text
  "flood TARGET N"       N PRIVMSG lines "flood <i> <send time>" at once (the
                         send time: the wall clock in ns since 1970)
  "pace TARGET N RATE"   the same N lines at RATE lines a second, each
                         stamped when it leaves (a steady room)
  "measure TARGET N"     waits for N flood lines to TARGET and prints
                         "MEASURE lines=N rate=R median_ms=M p95_ms=P": lines
                         per second from the earliest send to the last
                         arrival, and the median and 95th percentile of the
                         time from send to arrival (wall clock)
  "quit [reason]"        QUIT (done at the end anyway)
  "touch PATH"           creates the empty file PATH: a sign to a program that
                         waits for this point of the script (the browser
                         host's "await:" step)
  "crowd #room N PREFIX" N more connections, nicks PREFIX1..PREFIXN, each
                         joined to the room and kept until the client ends
Received lines are printed as "<< line", sent ones as ">> line". Every wait
is bounded (--wait seconds); a wait that runs out ends with exit code 2.
--quiet prints neither (a benchmark's client reads as fast as it can).
"""
import argparse
import math
import re
import socket
import sys
import time


class Client:
    def __init__(self, host, port, nick, wait, quiet=False):
        self.sock = socket.create_connection((host, port), timeout=wait)
        self.quiet = quiet
        self.nick = nick
        self.wait = wait
        self.pending = b""
        self.closed = False

    def send(self, line):
        if not self.quiet:
            print(">> " + line, flush=True)
        self.sock.sendall((line + "\r\n").encode("latin-1"))

    def lines(self):
        """Received lines until the deadline; None at the deadline or close."""
        deadline = time.monotonic() + self.wait
        while True:
            while b"\r\n" in self.pending:
                raw, self.pending = self.pending.split(b"\r\n", 1)
                line = raw.decode("latin-1")
                if not self.quiet:
                    print("<< " + line, flush=True)
                if line.startswith("PING"):
                    self.send("PONG" + line[4:])
                yield line
            left = deadline - time.monotonic()
            if left <= 0 or self.closed:
                yield None
                return
            self.sock.settimeout(left)
            try:
                data = self.sock.recv(4096)
            except socket.timeout:
                continue
            if not data:
                self.closed = True
                continue
            self.pending += data

    def wait_for(self, test):
        for line in self.lines():
            if line is None:
                return False
            if test(line):
                return True
        return False


def words(line):
    return line.split(" ")


def percentile(values, share):
    """Nearest rank: the value below which that share of the values lie."""
    if not values:
        return 0
    ordered = sorted(values)
    rank = min(max(math.ceil(share * len(ordered)), 1), len(ordered))
    return ordered[rank - 1]


def measure(client, target, want):
    """Waits for `want` flood lines to target; prints the MEASURE line."""
    seen = set()
    latencies = []
    first_sent = None
    last_arrived = 0
    for line in client.lines():
        if line is None:
            break
        now = time.time_ns()
        w = words(line)
        if len(w) < 6 or w[1] != "PRIVMSG" or w[2].lower() != target.lower() or w[3] != ":flood":
            continue
        try:
            number, sent = int(w[4]), int(w[5])
        except ValueError:
            continue
        if number in seen:
            continue
        seen.add(number)
        latencies.append(now - sent)
        first_sent = sent if first_sent is None else min(first_sent, sent)
        last_arrived = max(last_arrived, now)
        if len(seen) >= want:
            break
    span = (last_arrived - first_sent) / 1e9 if latencies else 0
    rate = len(latencies) / span if span > 0 else 0
    print("MEASURE lines=%d rate=%.1f median_ms=%.2f p95_ms=%.2f" % (
        len(latencies), rate, percentile(latencies, 0.5) / 1e6, percentile(latencies, 0.95) / 1e6), flush=True)
    return len(seen) >= want


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--nick", required=True)
    parser.add_argument("--wait", type=float, default=20)
    parser.add_argument("--quiet", action="store_true")
    parser.add_argument("steps", nargs="*")
    opts = parser.parse_args()

    c = Client(opts.host, opts.port, opts.nick, opts.wait, opts.quiet)
    c.send("NICK " + opts.nick)
    # ngircd refuses user names holding characters such as "{".
    c.send("USER %s . . :%s" % (re.sub(r"[^A-Za-z0-9_.-]", "_", opts.nick), opts.nick))
    if not c.wait_for(lambda l: len(words(l)) > 1 and words(l)[1] in ("001", "433")):
        return 2
    quit_sent = False
    crowd = []
    for step in opts.steps:
        verb, _, rest = step.partition(" ")
        if verb == "join":
            c.send("JOIN " + rest)
            room = rest.split(" ")[0].lower()
            if not c.wait_for(lambda l: len(words(l)) > 3 and words(l)[1] == "366" and words(l)[3].lower() == room):
                return 2
        elif verb in ("say", "whisper"):
            target, _, text = rest.partition(" ")
            c.send("PRIVMSG %s :%s" % (target, text))
        elif verb == "part":
            c.send("PART " + rest)
        elif verb == "refused":
            c.send("JOIN " + rest)
            room = rest.lower()
            if not c.wait_for(lambda l: len(words(l)) > 3 and words(l)[1] == "475" and words(l)[3].lower() == room):
                return 2
        elif verb in ("listed", "unlisted"):
            c.send("LIST")
            rooms = set()
            if not c.wait_for(lambda l: (len(words(l)) > 3 and words(l)[1] == "322" and rooms.add(words(l)[3].lower()))
                              or (len(words(l)) > 1 and words(l)[1] == "323")):
                return 2
            if (rest.lower() in rooms) != (verb == "listed"):
                print("ircclient: %s %s; the list holds %s" % (verb, rest, " ".join(sorted(rooms))), flush=True)
                return 3
        elif verb == "expect":
            if not c.wait_for(lambda l: rest in l):
                return 2
        elif verb == "flood":
            target, _, count = rest.partition(" ")
            for i in range(int(count)):
                c.send("PRIVMSG %s :flood %d %d" % (target, i, time.time_ns()))
        elif verb == "pace":
            target, count, rate = rest.split(" ")
            start = time.monotonic()
            for i in range(int(count)):
                delay = start + i / float(rate) - time.monotonic()
                if delay > 0:
                    time.sleep(delay)
                c.send("PRIVMSG %s :flood %d %d" % (target, i, time.time_ns()))
        elif verb == "measure":
            target, _, count = rest.partition(" ")
            if not measure(c, target, int(count)):
                return 2
        elif verb == "crowd":
            room, count, prefix = rest.split(" ")
            for i in range(1, int(count) + 1):
                m = Client(opts.host, opts.port, prefix + str(i), opts.wait)
                m.send("NICK " + m.nick)
                m.send("USER %s . . :%s" % (m.nick, m.nick))
                if not m.wait_for(lambda l: len(words(l)) > 1 and words(l)[1] == "001"):
                    return 2
                m.send("JOIN " + room)
                if not m.wait_for(lambda l: len(words(l)) > 1 and words(l)[1] == "366"):
                    return 2
                crowd.append(m)
        elif verb == "touch":
            with open(rest, "ab"):
                pass
            if not opts.quiet:
                print("-- touched " + rest, flush=True)
        elif verb == "quit":
            c.send("QUIT :" + rest if rest else "QUIT")
            quit_sent = True
        else:
            print("ircclient: unknown step " + step, file=sys.stderr)
            return 1
    for m in crowd:
        m.send("QUIT :bye")
    if not quit_sent:
        c.send("QUIT :bye")
    c.wait_for(lambda l: l.startswith("ERROR"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
