"""Server-protocol messages as the game server sees them.

A full message is a 34-byte header followed by data; datagrams may instead
carry a short header (0x80 or 0x81 first byte). Service messages carry four
leading bytes and then text-mode association records. A client connecting
through the proxy first sends 8-byte-header control messages ('0', '2', '1').
"""

import struct

HEADER_LEN = 34
# bHeaderLen, reserved, version, reserved, dwTotalLen, wFlags, SrcId,
# DstId, SeqNum, IOMemberId
HEADER = struct.Struct("<BBBBIH4s4sI12s")
assert HEADER.size == HEADER_LEN
VERSION = 1
MEMBER_LEN = 12
ZERO_MEMBER = bytes(MEMBER_LEN)

MIN_FRAME = 8  # the length field itself lies at offset 4..7
MAX_FRAME = 655360  # what a peer's reassembly buffer holds
PROXY_HEADER_LEN = 8

SHORT_80 = 0x80  # {0x80, channel} then data
SHORT_81 = 0x81  # {0x81, channel, one byte} then data

FLAG_ACKABLE = 0x0001  # sender wants an acknowledgement
FLAG_IDENTIFIED = 0x0010  # sender gave a message id and waits for a response
FLAG_ANSWER = 0x0080  # answers the message whose SeqNum it repeats
FLAG_ACK_ONLY = 0x0040  # with FLAG_ANSWER: only an acknowledgement

SERVICE_CHANNEL = 255
ID_INIT = b"INIT"
ID_KAKA = b"KAKA"
ID_BIND = b"BIND"
ID_UNBIND = b"UNBD"
ID_LPCD = b"LPCD"


class Message:
    """One decoded full message (header fields and data)."""

    __slots__ = ("header_len", "version", "total", "flags", "src", "dst",
                 "seq", "member", "data")

    def __init__(self, header_len, version, total, flags, src, dst, seq,
                 member, data):
        self.header_len = header_len
        self.version = version
        self.total = total
        self.flags = flags
        self.src = src
        self.dst = dst
        self.seq = seq
        self.member = member
        self.data = data

    @property
    def well_formed(self):
        return self.header_len == HEADER_LEN and self.version == VERSION

    def src_channel(self):
        """The channel number of a SrcId that is one (u32 below 255), else None."""
        value = u32(self.src)
        return value if value < SERVICE_CHANNEL else None


def u32(four):
    return struct.unpack("<I", four)[0]


def id_of_number(value):
    return struct.pack("<I", value)


def encode(src, dst, flags=0, seq=0, member=ZERO_MEMBER, data=b"",
           append_member=False):
    """Builds one full message; with append_member the member id follows
    the data too and is counted in the total length."""
    if len(src) != 4 or len(dst) != 4 or len(member) != MEMBER_LEN:
        raise ValueError("ids take 4 bytes and the member id 12")
    tail = member if append_member else b""
    total = HEADER_LEN + len(data) + len(tail)
    return HEADER.pack(HEADER_LEN, 0, VERSION, 0, total, flags & 0xFFFF,
                       src, dst, seq & 0xFFFFFFFF, member) + data + tail


def decode(frame):
    """Decodes one frame of at least HEADER_LEN bytes (its length field is
    taken as cut, the data is what follows the header)."""
    (hlen, _r1, version, _r2, total, flags, src, dst, seq,
     member) = HEADER.unpack_from(frame, 0)
    return Message(hlen, version, total, flags, src, dst, seq, member,
                   bytes(frame[HEADER_LEN:]))


def frame_length(buf, offset=0):
    return struct.unpack_from("<I", buf, offset + 4)[0]


class StreamCutter:
    """Cuts a TCP byte stream into frames: once 8 bytes are there the
    length field says how long the frame is; the frame leaves only when
    whole. A length below 8 or above MAX_FRAME cannot be followed: the
    cutter then fails (reason in `failed`, bytes from the bad frame on in
    `rest()`) and takes no more input."""

    def __init__(self):
        self._buf = bytearray()
        self.failed = None

    def feed(self, data):
        """Adds bytes and returns the frames completed by them."""
        if self.failed:
            return []
        self._buf += data
        frames = []
        pos = 0
        while len(self._buf) - pos >= MIN_FRAME:
            total = frame_length(self._buf, pos)
            if total < MIN_FRAME or total > MAX_FRAME:
                self.failed = "frame length %d out of bounds" % total
                break
            if len(self._buf) - pos < total:
                break
            frames.append(bytes(self._buf[pos:pos + total]))
            pos += total
        del self._buf[:pos]
        return frames

    def rest(self):
        return bytes(self._buf)


def cut_datagram(dgram):
    """Splits one datagram into (kind, bytes) parts:
    'short' the whole datagram (0x80/0x81 first byte), 'proxy' one 8-byte
    header control message, 'full' one full message, 'bad' bytes that cannot
    be used (the rest of the datagram)."""
    if len(dgram) < 2:
        return [("bad", dgram)]
    first = dgram[0]
    if first >= 0x80:
        if first == SHORT_81 and len(dgram) < 3:
            return [("bad", dgram)]
        if first in (SHORT_80, SHORT_81):
            return [("short", dgram)]
        return [("bad", dgram)]
    if first == PROXY_HEADER_LEN:
        return _cut_run(dgram, "proxy", PROXY_HEADER_LEN)
    if len(dgram) < HEADER_LEN:
        return [("bad", dgram)]
    return _cut_run(dgram, "full", HEADER_LEN)


def _cut_run(dgram, kind, minimum):
    parts = []
    pos = 0
    while pos < len(dgram):
        rest = len(dgram) - pos
        if rest < MIN_FRAME:
            parts.append(("bad", dgram[pos:]))
            break
        total = frame_length(dgram, pos)
        if total < minimum or total > rest:
            # an incomplete or unusable frame spoils the rest of the datagram
            parts.append(("bad", dgram[pos:]))
            break
        parts.append((kind, dgram[pos:pos + total]))
        pos += total
    return parts


def encode_short(channel, data, third=None):
    if third is None:
        return bytes((SHORT_80, channel & 0xFF)) + data
    return bytes((SHORT_81, channel & 0xFF, third & 0xFF)) + data


# Association records, text mode: 4 hex digits giving the body length, then
# the body: name, "=", value and one end character.
RECORD_END = b"\0"
MAX_RECORD_BODY = 0xFFFF


def encode_record(name, value):
    body = name + b"=" + value + RECORD_END
    if len(body) > MAX_RECORD_BODY:
        raise ValueError("record longer than 65535 bytes")
    return b"%04X" % len(body) + body


def service_data(records, lead=bytes(4)):
    """Data of a service message: four leading bytes that receivers do not
    examine, then the records; the first record's value is the command."""
    if len(lead) != 4:
        raise ValueError("the leading part takes 4 bytes")
    return lead + b"".join(encode_record(n, v) for n, v in records)


# Text forms used on the control channel.

_ID_CHARS = frozenset(b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                      b"0123456789_")


def id_text(four):
    """4-byte id as text: the characters when they are letters, digits or
    '_'; '#N' when its u32 value is below 256; else 'x' and 8 hex digits in
    wire order."""
    if all(b in _ID_CHARS for b in four):
        return four.decode("ascii")
    value = u32(four)
    if value < 256:
        return "#%d" % value
    return "x" + four.hex()


def parse_id(token):
    """Inverse of id_text; also takes any 4 printable characters."""
    if token.startswith("#"):
        value = parse_number(token[1:], 0xFFFFFFFF)
        return id_of_number(value)
    if len(token) == 9 and token[0] == "x":
        try:
            return bytes.fromhex(token[1:])
        except ValueError:
            raise ValueError("bad hex id %r" % token) from None
    raw = unescape(token)
    if len(raw) != 4:
        raise ValueError("an id takes 4 characters, '#N' or 'x' and 8 hex "
                         "digits: %r" % token)
    return raw


def parse_number(token, maximum):
    try:
        value = int(token, 0)
    except ValueError:
        raise ValueError("bad number %r" % token) from None
    if value < 0 or value > maximum:
        raise ValueError("number %r out of range 0..%d" % (token, maximum))
    return value


def parse_hex(token):
    try:
        return bytes.fromhex(token)
    except ValueError:
        raise ValueError("bad hex bytes %r" % token) from None


def unescape(token):
    """Text argument to bytes: '%XX' is one byte, other characters are
    taken as Latin-1 (so CP1252 bytes pass as %E9 and the like)."""
    out = bytearray()
    i = 0
    while i < len(token):
        c = token[i]
        if c == "%":
            pair = token[i + 1:i + 3]
            if len(pair) != 2 or any(ch not in "0123456789abcdefABCDEF"
                                     for ch in pair):
                raise ValueError("bad escape in %r" % token)
            out.append(int(pair, 16))
            i += 3
            continue
        code = ord(c)
        if code > 0xFF:
            raise ValueError("character outside Latin-1 in %r" % token)
        out.append(code)
        i += 1
    return bytes(out)


def escape(raw):
    """Bytes to a token without spaces: printable ASCII but '%' as is,
    everything else as '%XX'."""
    return "".join(chr(b) if 0x21 <= b <= 0x7E and b != 0x25 else "%%%02X" % b
                   for b in raw)
