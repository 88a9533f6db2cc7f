#!/usr/bin/env python3
"""Stand-in for the service's game server, for the hub's tests.

Listens on one loopback port for TCP and UDP, answers registrations
("INIT") with a member id, counts keep-alives ("KAKA") per link, echoes or
answers channel traffic, and pushes service messages on command. Tests
drive it through a line protocol on a second loopback port (see README.md).

Everything runs on one thread around a selector; control commands are
executed between socket events, so no state is shared between threads.
"""

import argparse
import collections
import heapq
import itertools
import os
import selectors
import signal
import socket
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wire  # noqa: E402
import ludex  # noqa: E402

LOOPBACK = "127.0.0.1"
BACKLOG = 64
RECV_SIZE = 65536
LOG_KEEP = 2000  # entries kept for LOG
LOG_DATA_KEEP = 4096  # data bytes kept per entry
LOG_REPLY_MAX = 1 << 20  # characters of entries in one LOG reply
LAST_KEEP = 10000  # destination ids remembered for LAST
LINKS_KEEP = 1000  # closed links remembered
NOTES_KEEP = 2000  # launcher notifications kept for NOTES
MAX_LINE = 65536  # longest control line
MAX_OUT = 4 * 1024 * 1024  # unsent bytes allowed per connection
CLOSE_GRACE = 2.0  # seconds a closed link waits for the peer's own close
MAX_WAIT_MS = 120000
MAX_DROP_SECONDS = 3600
FILLER_TIMEOUT = 1.0  # seconds for our own connect that fills the queue

COUNTERS = ("init", "kaka_tcp", "kaka_udp", "msg_tcp", "msg_udp", "short",
            "bind", "unbd", "ackable", "ident", "proxy", "bad", "sent", "note")
ANSWER_KINDS = ("init", "echo", "ident", "ack", "bind", "short", "proxy")
PROXY_ID = b"PRXY"
REFUSED_INIT_DST = b"NACK"
REFUSED_INIT_FLAGS = 200  # flags byte above 127 with a foreign DstId


def _note_text(raw):
    """Notification text as a token: like wire.escape, with '/' escaped too."""
    return wire.escape(raw).replace("/", "%2F")


class CommandError(Exception):
    pass


class Link:
    """One TCP connection from a hub, with the UDP peer seen for it.
    Link 0 collects datagrams that belong to no connection."""

    def __init__(self, number, sock=None, peer=None):
        self.number = number
        self.sock = sock
        self.peer = peer
        self.state = "open" if sock else "udp-only"
        self.closing = False  # our FIN sent, waiting for the peer's
        self.closed_how = None
        self.member = None
        self.hub_id = None
        self.pseudo = None
        self.proxy_target = None
        self.udp_peer = None
        self.cutter = wire.StreamCutter()
        self.out = bytearray()
        self.counts = dict.fromkeys(COUNTERS, 0)
        self.seq = {"tcp": 0, "udp": 0}

    @property
    def live(self):
        return self.state in ("open", "registered") and not self.closing

    def next_seq(self, via):
        seq = self.seq[via]
        self.seq[via] = (seq + 1) & 0xFFFFFFFF
        return seq


class ControlConn:
    def __init__(self, sock):
        self.sock = sock
        self.inbuf = bytearray()
        self.out = bytearray()
        self.lines = collections.deque()
        self.waiter = None
        self.closing = False


class Waiter:
    def __init__(self, conn, link_token, counter, minimum, deadline):
        self.conn = conn
        self.link_token = link_token
        self.counter = counter
        self.minimum = minimum
        self.deadline = deadline


class GameServer:
    def __init__(self, port=0, control_port=0, verbose=False):
        self.verbose = verbose
        self.sel = selectors.DefaultSelector()
        self.links = {0: Link(0)}
        self.next_link = 1
        self.log = collections.deque(maxlen=LOG_KEEP)
        self.log_next = 0
        self.notes = collections.deque(maxlen=NOTES_KEEP)
        self.notes_next = 0
        self.last_by_dst = {}
        self.answers = dict.fromkeys(ANSWER_KINDS, "on")
        self.silent = False
        self.accept_mode = "open"  # open, refuse, stall
        self.udp_down = False
        self.drop_timer = None
        self.globals = {"udp_unlinked": 0, "udp_ignored": 0}
        self.timers = []
        self.timer_ids = itertools.count()
        self.waiters = []
        self.controls = set()
        self.stall_filler = None
        self.placeholder = None
        self.stopping = False
        self._wake_r, self._wake_w = socket.socketpair()
        self._wake_r.setblocking(False)
        self._wake_w.setblocking(False)
        self.sel.register(self._wake_r, selectors.EVENT_READ, self._on_wake)
        self.listener, self.udp, self.port = self._bind_game(port)
        try:
            self.control = self._listen(control_port)
        except OSError:
            for sock in (self.listener, self.udp, self._wake_r, self._wake_w):
                sock.close()
            self.sel.close()
            raise
        self.control_port = self.control.getsockname()[1]
        self.listener.setblocking(False)
        self.udp.setblocking(False)
        self.control.setblocking(False)
        self.sel.register(self.listener, selectors.EVENT_READ, self._on_accept)
        self.sel.register(self.udp, selectors.EVENT_READ, self._on_udp)
        self.sel.register(self.control, selectors.EVENT_READ,
                          self._on_control_accept)

    # ----- sockets

    @staticmethod
    def _listen(port):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        try:
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            sock.bind((LOOPBACK, port))
            sock.listen(BACKLOG)
        except OSError:
            sock.close()
            raise
        return sock

    def _bind_game(self, port):
        # TCP and UDP share the port number: with port 0 the TCP port is
        # chosen first and UDP must get the same one, so retry a few times.
        for _ in range(1 if port else 20):
            tcp = self._listen(port)
            chosen = tcp.getsockname()[1]
            udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            try:
                udp.bind((LOOPBACK, chosen))
            except OSError:
                tcp.close()
                udp.close()
                if port:
                    raise
                continue
            return tcp, udp, chosen
        raise OSError("no port free for both TCP and UDP")

    def request_stop(self):
        """Safe from a signal handler or another thread."""
        self.stopping = True
        try:
            self._wake_w.send(b"x")
        except OSError:
            pass

    def _on_wake(self, _mask):
        try:
            while self._wake_r.recv(512):
                pass
        except (BlockingIOError, InterruptedError):
            pass

    def run(self):
        try:
            while not self.stopping:
                timeout = self._next_deadline()
                for key, mask in self.sel.select(timeout):
                    self._guarded(key.data, mask)
                self._guarded(self._run_timers)
                self._guarded(self._check_waiters)
        finally:
            self._shutdown()

    def _guarded(self, fn, *args):
        try:
            fn(*args)
        except Exception as exc:  # one peer's fault must not end the server
            self._trace("internal error: %r", exc)

    def _shutdown(self):
        for link in self.links.values():
            if link.sock is not None:
                self._forget_socket(link.sock)
                link.sock = None
        for conn in list(self.controls):
            self._forget_socket(conn.sock)
        self.controls.clear()
        for sock in (self.listener, self.placeholder, self.stall_filler,
                     self.udp, self.control, self._wake_r, self._wake_w):
            if sock is not None:
                self._forget_socket(sock)
        self.sel.close()

    def _forget_socket(self, sock):
        try:
            self.sel.unregister(sock)
        except (KeyError, ValueError):
            pass
        try:
            sock.close()
        except OSError:
            pass

    def _trace(self, fmt, *args):
        if self.verbose:
            stamp = time.strftime("%H:%M:%S")
            sys.stderr.write("gameserver %s %s\n" % (stamp, fmt % args))
            sys.stderr.flush()

    # ----- timers

    def _call_later(self, delay, fn):
        entry = [time.monotonic() + delay, next(self.timer_ids), fn]
        heapq.heappush(self.timers, entry)
        return entry

    @staticmethod
    def _cancel(entry):
        if entry is not None:
            entry[2] = None

    def _next_deadline(self):
        deadlines = [w.deadline for w in self.waiters]
        while self.timers and self.timers[0][2] is None:
            heapq.heappop(self.timers)
        if self.timers:
            deadlines.append(self.timers[0][0])
        if not deadlines:
            return None
        return max(0.0, min(deadlines) - time.monotonic())

    def _run_timers(self):
        now = time.monotonic()
        while self.timers and self.timers[0][0] <= now:
            fn = heapq.heappop(self.timers)[2]
            if fn is not None:
                fn()

    # ----- accepting game connections

    def _on_accept(self, _mask):
        while True:
            try:
                conn, peer = self.listener.accept()
            except (BlockingIOError, InterruptedError):
                return
            except OSError as exc:
                self._trace("accept failed: %s", exc)
                return
            self._new_link(conn, peer)

    def _new_link(self, conn, peer):
        conn.setblocking(False)
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        link = Link(self.next_link, conn, peer)
        self.next_link += 1
        self.links[link.number] = link
        self.sel.register(conn, selectors.EVENT_READ,
                          lambda mask, l=link: self._on_link_event(l, mask))
        self._prune_links()
        self._trace("link %d accepted from %s:%d", link.number, *peer)

    def _prune_links(self):
        closed = [n for n, l in self.links.items()
                  if n and l.state == "closed" and l.sock is None]
        for n in closed[:max(0, len(closed) - LINKS_KEEP)]:
            del self.links[n]

    def _set_accept_mode(self, mode):
        """Moves between open (listening), refuse (port held by a socket
        that does not listen, so connects are reset) and stall (a full
        accept queue, so connects never complete)."""
        if mode == self.accept_mode:
            return
        if self.accept_mode == "stall":
            self._end_stall()
        elif self.accept_mode == "refuse":
            self._end_refuse()
        if mode == "refuse":
            self._start_refuse()
        elif mode == "stall":
            self._start_stall()
        self.accept_mode = mode
        self._trace("accept mode %s", mode)

    def _start_refuse(self):
        self._on_accept(0)  # connections already queued are taken
        self._forget_socket(self.listener)
        self.listener = None
        holder = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        holder.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            holder.bind((LOOPBACK, self.port))
        except OSError as exc:
            holder.close()
            self._trace("cannot hold the port while refusing: %s", exc)
            holder = None
        self.placeholder = holder

    def _end_refuse(self):
        sock = self.placeholder
        self.placeholder = None
        try:
            if sock is None:
                sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
                sock.bind((LOOPBACK, self.port))
            sock.listen(BACKLOG)
        except OSError:
            if sock is not None:
                sock.close()
            raise CommandError("cannot listen on port %d again" % self.port)
        sock.setblocking(False)
        self.listener = sock
        self.sel.register(sock, selectors.EVENT_READ, self._on_accept)

    def _start_stall(self):
        self._on_accept(0)
        self.sel.unregister(self.listener)
        self.listener.listen(0)
        # One connection of our own fills the queue of a backlog-0 listener;
        # further handshakes are then dropped and connects hang.
        filler = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        filler.settimeout(FILLER_TIMEOUT)
        try:
            filler.connect((LOOPBACK, self.port))
        except OSError as exc:
            filler.close()
            self.listener.listen(BACKLOG)
            self.sel.register(self.listener, selectors.EVENT_READ,
                              self._on_accept)
            raise CommandError("cannot fill the accept queue: %s" % exc)
        self.stall_filler = filler

    def _end_stall(self):
        filler_addr = self.stall_filler.getsockname()
        while True:
            try:
                conn, peer = self.listener.accept()
            except (BlockingIOError, InterruptedError, OSError):
                break
            if peer == filler_addr:
                conn.close()
            else:
                self._new_link(conn, peer)
        self.stall_filler.close()
        self.stall_filler = None
        self.listener.listen(BACKLOG)
        self.sel.register(self.listener, selectors.EVENT_READ, self._on_accept)

    # ----- TCP links

    def _on_link_event(self, link, mask):
        if mask & selectors.EVENT_WRITE:
            self._flush(link)
        if link.sock is None or not mask & selectors.EVENT_READ:
            return
        try:
            data = link.sock.recv(RECV_SIZE)
        except (BlockingIOError, InterruptedError):
            return
        except ConnectionResetError:
            self._link_gone(link, "peer-reset")
            return
        except OSError:
            self._link_gone(link, "error")
            return
        if not data:
            self._link_gone(link, "peer")
            return
        if link.closing:
            return  # what comes after our close is not looked at
        for frame in link.cutter.feed(data):
            self._on_frame(link, "tcp", frame, None)
            if not link.live:
                return
        if link.cutter.failed:
            link.counts["bad"] += 1
            self._record(link, "tcp", "bad", data=link.cutter.rest())
            self._trace("link %d: %s", link.number, link.cutter.failed)
            self._close_link(link, "protocol", reset=False)

    def _link_gone(self, link, how):
        self._forget_socket(link.sock)
        link.sock = None
        link.out.clear()
        if link.closing:
            link.closing = False
        elif link.state != "closed":
            link.closed_how = how
        link.state = "closed"
        self._trace("link %d closed (%s)", link.number, link.closed_how)

    def _close_link(self, link, how, reset):
        """Closes from our side: a reset (linger 0) or a FIN after which we
        wait a moment for the peer's own close."""
        if link.sock is None:
            return
        if reset:
            try:
                link.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                     struct.pack("ii", 1, 0))
            except OSError:
                pass
            link.closed_how = how
            link.state = "closed"
            self._link_gone(link, how)
            return
        if link.closing:
            return
        self._flush(link)
        if link.sock is None:
            return  # the flush found the connection already broken
        link.out.clear()
        try:
            link.sock.shutdown(socket.SHUT_WR)
        except OSError:
            self._link_gone(link, how)
            link.closed_how = how
            return
        link.closed_how = how
        link.state = "closed"
        link.closing = True
        self._update_interest(link)
        self._call_later(CLOSE_GRACE, lambda: self._link_gone(link, how)
                         if link.sock is not None else None)

    def _flush(self, link):
        while link.out and link.sock is not None:
            try:
                sent = link.sock.send(link.out)
            except (BlockingIOError, InterruptedError):
                break
            except OSError:
                self._link_gone(link, "error")
                return
            del link.out[:sent]
        self._update_interest(link)

    def _update_interest(self, link):
        if link.sock is None:
            return
        events = selectors.EVENT_READ
        if link.out:
            events |= selectors.EVENT_WRITE
        try:
            self.sel.modify(link.sock, events, self.sel.get_key(link.sock).data)
        except (KeyError, ValueError):
            pass

    def _send_tcp(self, link, frame):
        if not link.live:
            raise CommandError("link %d is not connected" % link.number)
        if len(link.out) + len(frame) > MAX_OUT:
            raise CommandError("link %d: too much unsent data" % link.number)
        link.out += frame
        self._flush(link)

    def _send_udp(self, link, frame, to=None):
        target = to or link.udp_peer
        if target is None:
            raise CommandError("link %d has no UDP peer yet (nothing came "
                               "over UDP for it)" % link.number)
        try:
            self.udp.sendto(frame, target)
        except OSError as exc:
            raise CommandError("UDP send failed: %s" % exc)

    def _send(self, link, via, frame, to=None):
        if via == "tcp":
            self._send_tcp(link, frame)
        else:
            self._send_udp(link, frame, to)
        link.counts["sent"] += 1

    def _reply(self, link, via, sender, frame):
        """Automatic answers: a failure is only traced."""
        try:
            self._send(link, via, frame, sender)
        except CommandError as exc:
            self._trace("link %d: answer not sent: %s", link.number, exc)

    # ----- UDP

    def _on_udp(self, _mask):
        for _ in range(256):
            try:
                dgram, sender = self.udp.recvfrom(RECV_SIZE)
            except (BlockingIOError, InterruptedError):
                return
            except OSError:
                continue  # an ICMP error reported for an earlier send
            if self.udp_down:
                self.globals["udp_ignored"] += 1
                continue
            parts = wire.cut_datagram(dgram)
            link = self._udp_link(sender, parts)
            for kind, part in parts:
                if kind == "short":
                    self._on_short(link, part, sender)
                elif kind == "bad":
                    link.counts["bad"] += 1
                    self._record(link, "udp", "bad", data=part)
                else:
                    self._on_frame(link, "udp", part, sender)

    def _udp_link(self, sender, parts):
        """The link a datagram belongs to: the live link whose member id it
        carries, else the live link this sender was seen for, else the only
        live link; otherwise link 0."""
        live = [l for l in self.links.values() if l.live]
        for kind, part in parts:
            if kind == "full":
                member = bytes(part[22:34])
                if member != wire.ZERO_MEMBER:
                    for link in live:
                        if link.member == member:
                            return self._bind_udp(link, sender)
                break
        for link in live:
            if link.udp_peer == sender:
                return link
        if len(live) == 1:
            return self._bind_udp(live[0], sender)
        self.globals["udp_unlinked"] += 1
        return self.links[0]

    def _bind_udp(self, link, sender):
        for other in self.links.values():
            if other is not link and other.udp_peer == sender:
                other.udp_peer = None
        link.udp_peer = sender
        return link

    def _on_short(self, link, dgram, sender):
        link.counts["short"] += 1
        if dgram[0] == wire.SHORT_80:
            self._record(link, "udp", "s80", src="#%d" % dgram[1],
                         data=dgram[2:])
        else:
            self._record(link, "udp", "s81", src="#%d" % dgram[1],
                         flags="%02x" % dgram[2], data=dgram[3:])
        if self._answering("short"):
            self._reply(link, "udp", sender, bytes(dgram))

    # ----- messages

    def _answering(self, kind):
        return not self.silent and self.answers[kind] != "off"

    def _on_frame(self, link, via, frame, sender):
        if frame[0] == wire.PROXY_HEADER_LEN and len(frame) < wire.HEADER_LEN:
            self._on_proxy(link, via, frame, sender)
            return
        if len(frame) < wire.HEADER_LEN:
            link.counts["bad"] += 1
            self._record(link, via, "bad", data=frame)
            return
        msg = wire.decode(frame)
        if not msg.well_formed:
            link.counts["bad"] += 1
            self._record(link, via, "bad", data=frame)
            return
        link.counts["msg_" + via] += 1
        self._record(link, via, "msg", src=wire.id_text(msg.src),
                     dst=wire.id_text(msg.dst), flags="%04x" % msg.flags,
                     seq=str(msg.seq), data=msg.data)
        if msg.dst == wire.ID_INIT:
            self._on_init(link, via, msg, sender)
        elif msg.dst == wire.ID_KAKA:
            link.counts["kaka_" + via] += 1
        elif msg.dst == wire.ID_BIND:
            self._on_bind(link, via, msg, sender)
        elif msg.dst == wire.ID_UNBIND:
            link.counts["unbd"] += 1
        else:
            self._on_traffic(link, via, msg, sender)

    def _member_for(self, link):
        if link.member is None:
            link.member = struct.pack("<4sII", b"GSMB", link.number, self.port)
        return link.member

    def _on_init(self, link, via, msg, sender):
        link.counts["init"] += 1
        link.hub_id = msg.src
        link.pseudo = msg.data
        if not self._answering("init"):
            return
        if self.answers["init"] == "refuse":
            frame = wire.encode(wire.ID_INIT, REFUSED_INIT_DST,
                                REFUSED_INIT_FLAGS, msg.seq)
        else:
            frame = wire.encode(wire.ID_INIT, msg.src, 0, msg.seq,
                                self._member_for(link))
            if link.number and link.live:
                link.state = "registered"
        self._reply(link, via, sender, frame)

    def _on_bind(self, link, via, msg, sender):
        link.counts["bind"] += 1
        if len(msg.data) < 5 or not self._answering("bind"):
            return
        # The bind is acknowledged by a service message BIND naming the
        # channel, repeating the request's SeqNum.
        data = wire.service_data([(b"CMD", b"BIND"),
                                  (b"CHNL", msg.data[4:5])])
        frame = wire.encode(wire.ID_BIND, link.hub_id or msg.src,
                            wire.FLAG_ANSWER | wire.FLAG_ACK_ONLY, msg.seq,
                            link.member or wire.ZERO_MEMBER, data)
        self._reply(link, via, sender, frame)

    def _on_traffic(self, link, via, msg, sender):
        member = link.member or wire.ZERO_MEMBER
        if msg.src_channel() is not None and msg.dst != wire.ID_LPCD:
            self._note(link, msg)
        if msg.flags & wire.FLAG_ACKABLE:
            link.counts["ackable"] += 1
            if self._answering("ack"):
                self._reply(link, via, sender, wire.encode(
                    msg.dst, msg.src, wire.FLAG_ANSWER | wire.FLAG_ACK_ONLY,
                    msg.seq, member))
            return
        if msg.flags & wire.FLAG_IDENTIFIED:
            link.counts["ident"] += 1
            if self._answering("ident"):
                self._reply(link, via, sender, wire.encode(
                    msg.dst, msg.src, wire.FLAG_ANSWER, msg.seq, member,
                    msg.data))
            return
        # Plain traffic from a channel comes back to it; the hub's notice
        # that a channel's client left (to "LPCD") is only recorded.
        if (msg.src_channel() is None or msg.dst == wire.ID_LPCD
                or not self._answering("echo")):
            return
        self._reply(link, via, sender, wire.encode(
            msg.dst, msg.src, 0, link.next_seq(via), member, msg.data))

    def _on_proxy(self, link, via, frame, sender):
        link.counts["proxy"] += 1
        letter = frame[1]
        payload = frame[wire.PROXY_HEADER_LEN:]
        self._record(link, via, "proxy", src=wire.escape(bytes((letter,))),
                     data=payload)
        if letter == ord("2") and len(payload) >= 6:
            port = struct.unpack_from("<H", payload, 4)[0]
            link.proxy_target = "%s:%d" % (socket.inet_ntoa(payload[:4]), port)
        if letter == ord("1") and self._answering("proxy"):
            self._reply(link, via, sender, wire.encode(
                PROXY_ID, bytes(4), 0, link.next_seq(via)))

    def _note(self, link, msg):
        """A launcher notification from a channel, kept decoded for NOTES."""
        note = ludex.decode_notification(msg.data)
        if note is None:
            return
        if note.length_ok:
            link.counts["note"] += 1
        entry = "%d/%d/%s/%s/%s/%s" % (
            self.notes_next, link.number, wire.id_text(msg.dst),
            "ok" if note.length_ok else "len=%d" % note.declared,
            _note_text(note.body),
            "-" if note.custom is None else _note_text(note.custom))
        self.notes.append((self.notes_next, entry))
        self.notes_next += 1
        self._trace("note %s", entry)

    def _record(self, link, via, kind, src="-", dst="-", flags="-", seq="-",
                data=b""):
        entry = "%d/%d/%s/%s/%s/%s/%s/%s/%d/%s" % (
            self.log_next, link.number, via, kind, src, dst, flags, seq,
            len(data), bytes(data[:LOG_DATA_KEEP]).hex())
        self.log.append((self.log_next, entry))
        self.log_next += 1
        if kind == "msg":
            if len(self.last_by_dst) >= LAST_KEEP and dst not in self.last_by_dst:
                self.last_by_dst.clear()
            self.last_by_dst[dst] = entry
        self._trace("in %s", entry)

    # ----- control channel

    def _on_control_accept(self, _mask):
        while True:
            try:
                sock, _peer = self.control.accept()
            except (BlockingIOError, InterruptedError):
                return
            except OSError:
                return
            sock.setblocking(False)
            conn = ControlConn(sock)
            self.controls.add(conn)
            self.sel.register(sock, selectors.EVENT_READ,
                              lambda mask, c=conn: self._on_control(c, mask))

    def _on_control(self, conn, mask):
        if mask & selectors.EVENT_WRITE:
            self._control_flush(conn)
        if conn not in self.controls or not mask & selectors.EVENT_READ:
            return
        try:
            data = conn.sock.recv(RECV_SIZE)
        except (BlockingIOError, InterruptedError):
            return
        except OSError:
            data = b""
        if not data:
            self._control_close(conn)
            return
        if conn.closing:
            return
        conn.inbuf += data
        while True:
            end = conn.inbuf.find(b"\n")
            if end < 0:
                break
            line = bytes(conn.inbuf[:end]).rstrip(b"\r")
            del conn.inbuf[:end + 1]
            conn.lines.append(line)
        if len(conn.inbuf) > MAX_LINE:
            conn.inbuf.clear()
            conn.lines.clear()
            self._control_reply(conn, "ERR line longer than %d bytes" % MAX_LINE)
            conn.closing = True
            self._control_flush(conn)
            return
        self._control_run(conn)

    def _control_run(self, conn):
        while conn.lines and conn.waiter is None and not conn.closing:
            line = conn.lines.popleft()
            if len(line) > MAX_LINE:
                self._control_reply(conn, "ERR line longer than %d bytes"
                                    % MAX_LINE)
                continue
            reply = self._execute(conn, line.decode("latin-1"))
            if reply is not None:
                self._control_reply(conn, reply)

    def _control_reply(self, conn, text):
        conn.out += text.encode("latin-1", "replace") + b"\n"
        self._control_flush(conn)

    def _control_flush(self, conn):
        while conn.out:
            try:
                sent = conn.sock.send(conn.out)
            except (BlockingIOError, InterruptedError):
                break
            except OSError:
                self._control_close(conn)
                return
            del conn.out[:sent]
        if len(conn.out) > MAX_OUT:
            self._control_close(conn)
            return
        if conn.closing and not conn.out:
            self._control_close(conn)
            return
        events = selectors.EVENT_READ
        if conn.out:
            events |= selectors.EVENT_WRITE
        try:
            self.sel.modify(conn.sock, events, self.sel.get_key(conn.sock).data)
        except (KeyError, ValueError):
            pass

    def _control_close(self, conn):
        if conn.waiter is not None:
            self.waiters.remove(conn.waiter)
            conn.waiter = None
        self.controls.discard(conn)
        self._forget_socket(conn.sock)

    def _check_waiters(self):
        now = time.monotonic()
        for waiter in list(self.waiters):
            if waiter not in self.waiters:
                continue  # answered while an earlier one ran its queue
            try:
                value = self._counter(waiter.link_token, waiter.counter)
            except CommandError as exc:
                result = "ERR %s" % exc
            else:
                if value >= waiter.minimum:
                    result = "OK %d" % value
                elif now >= waiter.deadline:
                    result = "ERR timeout %d" % value
                else:
                    continue
            self.waiters.remove(waiter)
            conn = waiter.conn
            conn.waiter = None
            self._control_reply(conn, result)
            self._control_run(conn)

    def _execute(self, conn, line):
        """Runs one control line; None when the reply comes later (WAIT)."""
        tokens = line.split()
        if not tokens:
            return "ERR empty command"
        name = tokens[0].upper()
        if name not in COMMANDS:
            return "ERR unknown command %s" % wire.escape(
                tokens[0].encode("latin-1"))
        try:
            if name == "WAIT":
                return self._start_wait(conn, tokens[1:])
            if name == "QUIT":
                conn.closing = True
                return "OK bye"
            return getattr(self, "cmd_" + name.lower())(tokens[1:])
        except (CommandError, ValueError) as exc:
            return "ERR %s" % exc
        except Exception as exc:  # a stand-in must survive its own faults
            self._trace("command %r failed: %r", line, exc)
            return "ERR internal %s" % type(exc).__name__

    # ----- command helpers

    @staticmethod
    def _want(args, low, high, usage):
        if not low <= len(args) <= high:
            raise CommandError("usage: " + usage)

    def _link(self, token, live=False):
        if token == "last":
            numbers = [n for n in self.links if n]
            if not numbers:
                raise CommandError("no link yet")
            link = self.links[max(numbers)]
        else:
            number = wire.parse_number(token, 0xFFFFFFFF)
            link = self.links.get(number)
            if link is None:
                raise CommandError("no link %d" % number)
        if live and not link.live:
            raise CommandError("link %d is not connected" % link.number)
        return link

    @staticmethod
    def _options(tokens, allowed, flags=()):
        opts = {}
        for token in tokens:
            if token in flags:
                opts[token] = True
                continue
            key, sep, value = token.partition("=")
            if not sep or key not in allowed:
                raise CommandError("unknown option %s (allowed: %s)" % (
                    wire.escape(token.encode("latin-1")),
                    " ".join(sorted(allowed) + sorted(flags))))
            opts[key] = value
        return opts

    @staticmethod
    def _on_off(token, extra=()):
        value = token.lower()
        if value not in ("on", "off") + tuple(extra):
            raise CommandError("expected on or off%s" % "".join(
                " or " + e for e in extra))
        return value

    @staticmethod
    def _via(token, allowed=("tcp", "udp")):
        value = token.lower()
        if value not in allowed:
            raise CommandError("transport must be one of " + " ".join(allowed))
        return value

    def _counter(self, link_token, counter):
        """A counter of the stand-in (link "any") or of one link; a link
        that is not there yet counts 0, so a WAIT may precede the accept."""
        if link_token == "any":
            values = self._global_counts()
        else:
            try:
                link = self._link(link_token)
            except CommandError:
                if link_token != "last":
                    wire.parse_number(link_token, 0xFFFFFFFF)
                link = Link(-1)
            values = dict(link.counts, live=int(link.live))
        if counter not in values:
            raise CommandError("no counter %s" % counter)
        return values[counter]

    def _global_counts(self):
        values = dict.fromkeys(COUNTERS, 0)
        for link in self.links.values():
            for key, count in link.counts.items():
                values[key] += count
        values["links"] = self.next_link - 1
        values["live"] = sum(1 for l in self.links.values() if l.live)
        values["registered"] = sum(1 for l in self.links.values()
                                   if l.live and l.state == "registered")
        values.update(self.globals)
        return values

    def _link_info(self, link):
        def peer(addr):
            return "%s:%d" % addr if addr else "-"
        fields = [
            ("link", str(link.number)),
            ("state", link.state),
            ("live", str(int(link.live))),
            ("tcp", peer(link.peer)),
            ("udp", peer(link.udp_peer)),
            ("member", link.member.hex() if link.member else "-"),
            ("hub", wire.id_text(link.hub_id) if link.hub_id else "-"),
            ("pseudo", wire.escape(link.pseudo) if link.pseudo is not None
             else "-"),
            ("proxy_to", link.proxy_target or "-"),
            ("closed", link.closed_how or "-"),
        ] + [(k, str(v)) for k, v in link.counts.items()]
        return " ".join("%s=%s" % f for f in fields)

    # ----- commands: reading state

    def cmd_ping(self, args):
        return "OK PONG"

    def cmd_help(self, args):
        return "OK " + " ".join(sorted(COMMANDS))

    def cmd_info(self, args):
        self._want(args, 0, 0, "INFO")
        return "OK port=%d control=%d pid=%d" % (self.port, self.control_port,
                                                  os.getpid())

    def cmd_stats(self, args):
        self._want(args, 0, 0, "STATS")
        values = self._global_counts()
        accept = "drop" if self.drop_timer is not None else self.accept_mode
        head = "accept=%s udp=%s silent=%s" % (
            accept, "down" if self.udp_down else "up",
            "on" if self.silent else "off")
        order = ["links", "live", "registered", "udp_unlinked",
                 "udp_ignored"] + list(COUNTERS)
        return "OK %s %s" % (head, " ".join("%s=%d" % (k, values[k])
                                            for k in order))

    def cmd_links(self, args):
        self._want(args, 0, 0, "LINKS")
        items = ["%d:%s" % (n, l.state) for n, l in sorted(self.links.items())
                 if n]
        return "OK count=%d%s" % (len(items), "".join(" " + i for i in items))

    def cmd_link(self, args):
        self._want(args, 1, 1, "LINK <link>")
        return "OK " + self._link_info(self._link(args[0]))

    def cmd_log(self, args):
        self._want(args, 0, 2, "LOG [from [max]]")
        start = wire.parse_number(args[0], 1 << 62) if args else 0
        most = wire.parse_number(args[1], 1 << 62) if len(args) > 1 else LOG_KEEP
        picked, size, resume = [], 0, self.log_next
        for index, entry in self.log:
            if index < start:
                continue
            if len(picked) >= most or (picked and size + len(entry) > LOG_REPLY_MAX):
                resume = index
                break
            picked.append(entry)
            size += len(entry) + 1
        return "OK next=%d more=%d%s" % (resume, int(resume < self.log_next),
                                         "".join(" " + e for e in picked))

    def cmd_notes(self, args):
        self._want(args, 0, 1, "NOTES [from]")
        start = wire.parse_number(args[0], 1 << 62) if args else 0
        picked = [e for i, e in self.notes if i >= start]
        return "OK next=%d%s" % (self.notes_next,
                                 "".join(" " + e for e in picked))

    def cmd_ludex(self, args):
        usage = ("LUDEX <link> <dst> <name>=<value> [lead=TEXT] "
                 "[via=tcp|udp] [flags=N]")
        if len(args) < 3:
            raise CommandError("usage: " + usage)
        link = self._link(args[0], live=True)
        dst = wire.parse_id(args[1])
        name, sep, value = args[2].partition("=")
        if not sep:
            raise CommandError("usage: " + usage)
        opts = self._options(args[3:], {"lead", "via", "flags"})
        via = self._via(opts.get("via", "tcp"))
        lead = wire.unescape(opts["lead"]) if "lead" in opts else None
        data = ludex.encode_command(wire.unescape(name), wire.unescape(value),
                                    lead)
        flags = wire.parse_number(opts.get("flags", "0"), 0xFFFF)
        seq = link.next_seq(via)
        frame = wire.encode(b"GSRV", dst, flags, seq,
                            link.member or wire.ZERO_MEMBER, data)
        return self._push(link, via, frame, seq)

    def cmd_last(self, args):
        self._want(args, 1, 1, "LAST <dst>")
        key = wire.id_text(wire.parse_id(args[0]))
        return "OK " + self.last_by_dst.get(key, "none")

    def cmd_clear(self, args):
        self._want(args, 0, 0, "CLEAR")
        self.log.clear()
        self.notes.clear()
        self.last_by_dst.clear()
        for link in self.links.values():
            link.counts = dict.fromkeys(COUNTERS, 0)
        for key in self.globals:
            self.globals[key] = 0
        return "OK next=%d" % self.log_next

    def _start_wait(self, conn, args):
        self._want(args, 4, 4, "WAIT <link|last|any> <counter> <min> <timeout-ms>")
        link_token, counter = args[0], args[1]
        minimum = wire.parse_number(args[2], 1 << 62)
        timeout = wire.parse_number(args[3], MAX_WAIT_MS)
        value = self._counter(link_token, counter)
        if value >= minimum:
            return "OK %d" % value
        waiter = Waiter(conn, link_token, counter, minimum,
                        time.monotonic() + timeout / 1000.0)
        conn.waiter = waiter
        self.waiters.append(waiter)
        return None

    # ----- commands: behaviour

    def cmd_answer(self, args):
        self._want(args, 0, 2, "ANSWER [<kind> on|off]  (init also: refuse)")
        if args:
            kind = args[0].lower()
            if kind not in ANSWER_KINDS:
                raise CommandError("kinds: " + " ".join(ANSWER_KINDS))
            if len(args) != 2:
                raise CommandError("usage: ANSWER <kind> on|off")
            extra = ("refuse",) if kind == "init" else ()
            self.answers[kind] = self._on_off(args[1], extra)
        return "OK " + " ".join("%s=%s" % (k, self.answers[k])
                                for k in ANSWER_KINDS)

    def cmd_silent(self, args):
        self._want(args, 1, 1, "SILENT on|off")
        self.silent = self._on_off(args[0]) == "on"
        return "OK silent=%s" % ("on" if self.silent else "off")

    def cmd_refuse(self, args):
        self._want(args, 1, 1, "REFUSE on|off")
        on = self._on_off(args[0]) == "on"
        self._end_drop()
        self._set_accept_mode("refuse" if on else "open")
        return "OK accept=%s" % self.accept_mode

    def cmd_stall(self, args):
        self._want(args, 1, 1, "STALL on|off")
        on = self._on_off(args[0]) == "on"
        self._end_drop()
        self._set_accept_mode("stall" if on else "open")
        return "OK accept=%s" % self.accept_mode

    def cmd_drop(self, args):
        self._want(args, 1, 2, "DROP <seconds> [reset]")
        try:
            seconds = float(args[0])
        except ValueError:
            raise CommandError("bad seconds %r" % args[0]) from None
        if not 0 <= seconds <= MAX_DROP_SECONDS:
            raise CommandError("seconds out of range 0..%d" % MAX_DROP_SECONDS)
        reset = False
        if len(args) == 2:
            if args[1].lower() != "reset":
                raise CommandError("usage: DROP <seconds> [reset]")
            reset = True
        closed = self._close_all("drop", reset)
        self._end_drop()
        self._set_accept_mode("refuse")
        self.udp_down = True
        self.drop_timer = self._call_later(seconds, self._come_back)
        return "OK closed=%d" % closed

    def _come_back(self):
        self.drop_timer = None
        self.udp_down = False
        try:
            self._set_accept_mode("open")
        except CommandError as exc:
            self._trace("coming back failed: %s", exc)

    def _end_drop(self):
        if self.drop_timer is not None:
            self._cancel(self.drop_timer)
            self.drop_timer = None
        self.udp_down = False

    def _close_all(self, how, reset):
        count = 0
        for link in list(self.links.values()):
            if link.live:
                self._close_link(link, how, reset)
                count += 1
        return count

    def _close_cmd(self, args, reset, name):
        self._want(args, 1, 1, "%s <link|last|all>" % name)
        how = "reset" if reset else "server"
        if args[0] == "all":
            return "OK closed=%d" % self._close_all(how, reset)
        link = self._link(args[0], live=True)
        self._close_link(link, how, reset)
        return "OK closed=1"

    def cmd_close(self, args):
        return self._close_cmd(args, False, "CLOSE")

    def cmd_reset(self, args):
        return self._close_cmd(args, True, "RESET")

    # ----- commands: pushing messages

    def _data_option(self, opts):
        if "data" in opts and "text" in opts:
            raise CommandError("give data= or text=, not both")
        if "data" in opts:
            return wire.parse_hex(opts["data"])
        if "text" in opts:
            return wire.unescape(opts["text"])
        return b""

    def _push(self, link, via, frame, seq):
        self._send(link, via, frame)
        return "OK bytes=%d seq=%s" % (len(frame), seq)

    def cmd_msg(self, args):
        usage = ("MSG <link> tcp|udp <src> <dst> [flags=N] [seq=N] "
                 "[member=HEX] [data=HEX|text=TEXT] [append]")
        if len(args) < 4:
            raise CommandError("usage: " + usage)
        link = self._link(args[0], live=True)
        via = self._via(args[1])
        src, dst = wire.parse_id(args[2]), wire.parse_id(args[3])
        opts = self._options(args[4:], {"flags", "seq", "member", "data",
                                        "text"}, ("append",))
        flags = wire.parse_number(opts.get("flags", "0"), 0xFFFF)
        seq = (wire.parse_number(opts["seq"], 0xFFFFFFFF) if "seq" in opts
               else link.next_seq(via))
        member = (wire.parse_hex(opts["member"]) if "member" in opts
                  else link.member or wire.ZERO_MEMBER)
        if len(member) != wire.MEMBER_LEN:
            raise CommandError("member= takes 12 bytes")
        frame = wire.encode(src, dst, flags, seq, member,
                            self._data_option(opts), "append" in opts)
        return self._push(link, via, frame, seq)

    def cmd_short(self, args):
        usage = "SHORT <link> <channel> [data=HEX|text=TEXT] [third=N]"
        if len(args) < 2:
            raise CommandError("usage: " + usage)
        link = self._link(args[0], live=True)
        channel = wire.parse_number(args[1], 255)
        opts = self._options(args[2:], {"data", "text", "third"})
        third = (wire.parse_number(opts["third"], 255) if "third" in opts
                 else None)
        frame = wire.encode_short(channel, self._data_option(opts), third)
        return self._push(link, "udp", frame, "-")

    def cmd_raw(self, args):
        self._want(args, 3, 3, "RAW <link> tcp|udp <hex>")
        link = self._link(args[0], live=True)
        via = self._via(args[1])
        return self._push(link, via, wire.parse_hex(args[2]), "-")

    SERVICE_OPTIONS = {"via", "to", "flags", "seq", "lead", "word"}

    def _service(self, link, records, opts, word):
        via = self._via(opts.get("via", "tcp"), ("tcp", "udp", "short"))
        if "word" in opts:
            word = wire.unescape(opts["word"])
        if word is not None:
            records = [(b"CMD", word)] + records
        lead = wire.parse_hex(opts["lead"]) if "lead" in opts else bytes(4)
        data = wire.service_data(records, lead)
        if via == "short":
            if "to" in opts or "flags" in opts or "seq" in opts:
                raise CommandError("to=, flags= and seq= do not apply to "
                                   "via=short")
            return self._push(link, "udp", wire.encode_short(
                wire.SERVICE_CHANNEL, data), "-")
        to = opts.get("to", "hub")
        if to == "hub":
            dst = link.hub_id or wire.id_of_number(wire.SERVICE_CHANNEL)
        else:
            dst = wire.parse_id(to)
        flags = wire.parse_number(opts.get("flags", "0"), 0xFFFF)
        seq = (wire.parse_number(opts["seq"], 0xFFFFFFFF) if "seq" in opts
               else link.next_seq(via))
        frame = wire.encode(b"GSRV", dst, flags, seq,
                            link.member or wire.ZERO_MEMBER, data)
        return self._push(link, via, frame, seq)

    def cmd_send(self, args):
        usage = ("SEND <link> <turl> <bfrm> [first=TURL|BFRM] [word=W] "
                 "[via=tcp|udp|short] [to=hub|ID] [flags=N] [seq=N] [lead=HEX]")
        if len(args) < 3:
            raise CommandError("usage: " + usage)
        link = self._link(args[0], live=True)
        turl = (b"TURL", wire.unescape(args[1]))
        bfrm = (b"BFRM", wire.unescape(args[2]))
        opts = self._options(args[3:], self.SERVICE_OPTIONS | {"first"})
        first = opts.pop("first", "TURL").upper()
        if first not in ("TURL", "BFRM"):
            raise CommandError("first= takes TURL or BFRM")
        records = [turl, bfrm] if first == "TURL" else [bfrm, turl]
        return self._service(link, records, opts, b"SEND")

    def _channel_service(self, args, word):
        name = word.decode("ascii")
        if len(args) < 2:
            raise CommandError("usage: %s <link> <channel> [options]" % name)
        link = self._link(args[0], live=True)
        channel = wire.parse_number(args[1], 255)
        opts = self._options(args[2:], self.SERVICE_OPTIONS)
        return self._service(link, [(b"CHNL", bytes((channel,)))], opts, word)

    def cmd_bind(self, args):
        return self._channel_service(args, b"BIND")

    def cmd_bing(self, args):
        return self._channel_service(args, b"BING")

    def _plain_service(self, args, word):
        if len(args) < 1:
            raise CommandError("usage: %s <link> [options]" % word.decode())
        link = self._link(args[0], live=True)
        opts = self._options(args[1:], self.SERVICE_OPTIONS)
        return self._service(link, [], opts, word)

    def cmd_aftl(self, args):
        return self._plain_service(args, b"AftL")

    def cmd_clos(self, args):
        return self._plain_service(args, b"CLOS")

    def cmd_service(self, args):
        if len(args) < 1:
            raise CommandError("usage: SERVICE <link> r:NAME=VALUE... [options]")
        link = self._link(args[0], live=True)
        records, rest = [], []
        for token in args[1:]:
            if token.startswith("r:"):
                name, sep, value = token[2:].partition("=")
                if not sep:
                    raise CommandError("a record is r:NAME=VALUE")
                records.append((wire.unescape(name), wire.unescape(value)))
            else:
                rest.append(token)
        opts = self._options(rest, self.SERVICE_OPTIONS - {"word"})
        return self._service(link, records, opts, None)


COMMANDS = {"PING", "HELP", "INFO", "STATS", "LINKS", "LINK", "LOG", "LAST",
            "CLEAR", "WAIT", "QUIT", "ANSWER", "SILENT", "REFUSE", "STALL",
            "DROP", "CLOSE", "RESET", "MSG", "SHORT", "RAW", "SEND", "BIND",
            "BING", "AFTL", "CLOS", "SERVICE", "NOTES", "LUDEX"}


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Stand-in game server on 127.0.0.1 (TCP and UDP on one "
                    "port, plus a control port).")
    parser.add_argument("--port", type=int, default=0,
                        help="TCP and UDP port (default: any free one)")
    parser.add_argument("--control-port", type=int, default=0,
                        help="control port (default: any free one)")
    parser.add_argument("-v", "--verbose", action="store_true",
                        help="trace events to stderr")
    args = parser.parse_args(argv)
    for value in (args.port, args.control_port):
        if not 0 <= value <= 65535:
            parser.error("ports lie in 0..65535")
    try:
        server = GameServer(args.port, args.control_port, args.verbose)
    except OSError as exc:
        sys.stderr.write("gameserver: cannot open the ports: %s\n" % exc)
        return 2
    text = "FD_GAMESERVER_PORT=%d\nFD_GAMESERVER_CONTROL=%d\nREADY\n" % (
        server.port, server.control_port)
    info = os.environ.get("FD_SIDECAR_INFO")
    if info:
        with open(info, "w") as f:
            f.write(text)
    else:
        sys.stdout.write(text)
        sys.stdout.flush()
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: server.request_stop())
    server.run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
