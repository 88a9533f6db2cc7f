"""The game launcher's messages as the game server sees them.

The launcher sends notifications: four lower-case hexadecimal digits giving
the whole message's length (those four included), a body made from its
template, and optionally a custom part: four hexadecimal digits giving the
length n of what follows, then "cust=", the custom text and "0" (n counts
those characters). The server sends commands: four characters that the
launcher does not read, four hexadecimal digits L, L - 1 characters holding
name=value, and a final "0".
"""

CUSTOM_KEY = b"cust="
END = b"0"
MAX_LENGTH = 0xFFFF
_HEX = frozenset(b"0123456789abcdefABCDEF")


def _hex4(raw):
    if len(raw) != 4 or any(b not in _HEX for b in raw):
        return None
    return int(raw, 16)


def encode_command(name, value, lead=None):
    """A command message; lead (4 bytes) defaults to the total length in
    hexadecimal, as the service's server writes it."""
    field = name + b"=" + value
    if len(field) + 1 > MAX_LENGTH:
        raise ValueError("a command field takes at most 65534 bytes")
    rest = b"%04x" % (len(field) + 1) + field + END
    if lead is None:
        lead = b"%04x" % min(4 + len(rest), MAX_LENGTH)
    if len(lead) != 4:
        raise ValueError("the lead takes 4 bytes")
    return lead + rest


class Notification:
    """One decoded notification: declared length (None when the first four
    characters are not hexadecimal), whether it matches, body, custom text
    (None when there is no custom part)."""

    __slots__ = ("declared", "length_ok", "body", "custom")

    def __init__(self, declared, length_ok, body, custom):
        self.declared = declared
        self.length_ok = length_ok
        self.body = body
        self.custom = custom


def decode_notification(data):
    """None when data cannot be a notification (shorter than 4 bytes or no
    hexadecimal length in front)."""
    declared = _hex4(bytes(data[:4]))
    if declared is None:
        return None
    data = bytes(data)
    rest = data[4:]
    body, custom = rest, None
    # The custom part is the last "cust=" whose four characters before it
    # give the length of everything from "cust=" on, ending in "0".
    if rest.endswith(END):
        at = rest.rfind(CUSTOM_KEY)
        while at >= 4:
            n = _hex4(rest[at - 4:at])
            if n is not None and n == len(rest) - at:
                body = rest[:at - 4]
                custom = rest[at + len(CUSTOM_KEY):-1]
                break
            at = rest.rfind(CUSTOM_KEY, 0, at)
    return Notification(declared, declared == len(data), body, custom)
