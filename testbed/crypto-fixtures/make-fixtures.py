#!/usr/bin/env python3
"""Builds the envelope fixtures of the plug-in's decryption with the openssl command line.

Run by hand from any folder: python3 testbed/crypto-fixtures/make-fixtures.py
It rewrites, beside this script:
  key0.txt, key1.txt   base64 key texts as a page delivers them (364-byte records)
  key0-qbig.txt        key 0 (p > q) with its primes exchanged, qInv recomputed
  envelopes/*.env      encrypted envelopes, binary or base64
  fixtures.txt         one line per envelope: file, key number, then either
                       "ok" and the plain text in hex ("-" when empty),
                       or the expected code and toolkit code ("5159 1033")

Key record: u16 modulus bits (little-endian), then n, e, d (64 bytes each), p, q,
dP, dQ, qInv (32 bytes each), all big-endian right-aligned, and 10 unused bytes.
Envelope: content | RSA(session key) | K (u32 LE) | IV | R filler bytes | R (u32 LE)
| flag ("A" = base64 text before it) | algorithm letter.
"""
import base64
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
LEGACY = ["-provider", "legacy", "-provider", "default"]
RECORD_SIZE = 364
CIPHERS = {"B": "des-cbc", "D": "des-ede-cbc", "E": "des-ede3-cbc", "C": "desx-cbc"}


def openssl(*args, data=None):
    return subprocess.run(["openssl", *args], input=data, stdout=subprocess.PIPE, check=True).stdout


def rsa_fields(pem):
    text = openssl("rsa", "-in", pem, "-text", "-noout").decode()
    fields = {}
    for name, body in re.findall(r"^(\w+):\s*\n((?:\s+[0-9a-f:]+\n)+)", text, re.M):
        fields[name] = int(re.sub(r"[\s:]", "", body), 16)
    exp = re.search(r"^publicExponent: (\d+)", text, re.M)
    fields["publicExponent"] = int(exp.group(1))
    return fields


def be(value, size):
    return value.to_bytes(size, "big")


def key_record(f, bits=512):
    rec = bits.to_bytes(2, "little")
    rec += be(f["modulus"], 64) + be(f["publicExponent"], 64) + be(f["privateExponent"], 64)
    for name in ("prime1", "prime2", "exponent1", "exponent2", "coefficient"):
        rec += be(f[name], 32)
    rec += bytes(RECORD_SIZE - len(rec))
    assert len(rec) == RECORD_SIZE
    return rec


def swapped_primes(f):
    g = dict(f)
    g["prime1"], g["prime2"] = f["prime2"], f["prime1"]
    g["exponent1"], g["exponent2"] = f["exponent2"], f["exponent1"]
    g["coefficient"] = pow(g["prime2"], -1, g["prime1"])
    return g


def rsa_encrypt(pem, block, raw=False):
    pad = "rsa_padding_mode:none" if raw else "rsa_padding_mode:pkcs1"
    return openssl("pkeyutl", "-encrypt", "-inkey", pem, "-pkeyopt", pad, data=block)


def envelope(content, enc_key, iv, letter, b64, filler_len, flag=b"\0"):
    body = content + enc_key + len(enc_key).to_bytes(4, "little") + iv
    body += os.urandom(filler_len) + filler_len.to_bytes(4, "little")
    if b64:
        return base64.b64encode(body) + b"A" + letter.encode()
    return body + flag + letter.encode()


def cbc(letter, key, iv, plain, nopad=False):
    args = ["enc", "-" + CIPHERS[letter], "-K", key.hex(), "-iv", iv.hex(), *LEGACY]
    if nopad:
        args.append("-nopad")
    return openssl(*args, data=plain)


def session_key(letter):
    if letter == "B":
        return os.urandom(8), None
    if letter == "D":
        k1k2 = os.urandom(16)
        return k1k2 + k1k2[:8], k1k2  # the envelope carries K1 again as K3
    return os.urandom(24), None


def main():
    out_dir = os.path.join(HERE, "envelopes")
    os.makedirs(out_dir, exist_ok=True)
    for old in os.listdir(out_dir):
        os.remove(os.path.join(out_dir, old))
    lines = []

    def write(name, key_no, data, expected):
        with open(os.path.join(out_dir, name), "wb") as fh:
            fh.write(data)
        lines.append(f"{name} {key_no} {expected}")

    def ok(plain):
        return "ok " + (plain.hex() if plain else "-")

    with tempfile.TemporaryDirectory() as tmp:
        pems, fields = [], []
        for i in range(2):
            pem = os.path.join(tmp, f"key{i}.pem")
            while True:
                with open(pem, "wb") as fh:
                    fh.write(openssl("genrsa", "512"))
                f = rsa_fields(pem)
                # Key 0 needs p > q, far enough apart for the CRT fixture below.
                if i == 1 or f["prime1"] * 100 >= f["prime2"] * 105:
                    break
            pems.append(pem)
            fields.append(f)
            with open(os.path.join(HERE, f"key{i}.txt"), "wb") as fh:
                fh.write(base64.b64encode(key_record(fields[i])))
        with open(os.path.join(HERE, "key0-qbig.txt"), "wb") as fh:
            fh.write(base64.b64encode(key_record(swapped_primes(fields[0]))))

        # Every letter, binary and base64, with and without filler.
        extra = 0
        for letter in ("B", "D", "E", "C"):
            for b64 in (False, True):
                for filler in (0, 5):
                    key_no = 0 if filler == 0 else 1
                    extra += 1
                    plain = ("Paramètres %s, enveloppe n°%d: " % (letter, extra) + "x" * extra).encode("cp1252")
                    sk, cipher_key = session_key(letter)
                    iv = os.urandom(8)
                    content = cbc(letter, cipher_key or sk, iv, plain)
                    name = f"{letter}-{'b64' if b64 else 'bin'}-r{filler}.env"
                    flag = b"\0" if filler == 0 else b"N"
                    data = envelope(content, rsa_encrypt(pems[key_no], sk), iv, letter, b64, filler, flag)
                    write(name, key_no, data, ok(plain))

        # A plain text of whole blocks gets a whole block of padding.
        plain = b"16 octets pile.."
        sk, _ = session_key("E")
        iv = os.urandom(8)
        write("E-whole-blocks.env", 1, envelope(cbc("E", sk, iv, plain), rsa_encrypt(pems[1], sk), iv, "E", True, 0),
              ok(plain))

        # Any letter but B, C and D is three-key EDE.
        plain = b"lettre inconnue"
        sk, _ = session_key("E")
        iv = os.urandom(8)
        write("Z-other-letter.env", 0, envelope(cbc("E", sk, iv, plain), rsa_encrypt(pems[0], sk), iv, "Z", False, 0),
              ok(plain))

        # Two-key EDE sent under "D" and as three-key EDE under "E" (K3 = K1): same plain text.
        plain = b"cmd$$action$$1$$URL$$http://127.0.0.1/$$eop"
        k1k2 = os.urandom(16)
        iv = os.urandom(8)
        enc_key = rsa_encrypt(pems[0], k1k2 + k1k2[:8])
        write("D-ede2.env", 0, envelope(cbc("D", k1k2, iv, plain), enc_key, iv, "D", True, 0), ok(plain))
        write("E-ede2-as-ede3.env", 0, envelope(cbc("E", k1k2 + k1k2[:8], iv, plain), enc_key, iv, "E", True, 0),
              ok(plain))

        # The delivered DES key differs from the one used only in its parity bits.
        plain = b"bits de parite ignores"
        sk = os.urandom(8)
        iv = os.urandom(8)
        flipped = bytes(b ^ 0x01 for b in sk)
        write("B-parity.env", 0, envelope(cbc("B", sk, iv, plain), rsa_encrypt(pems[0], flipped), iv, "B", False, 0),
              ok(plain))

        # One block of eight 0x08 bytes: an empty plain text.
        sk = os.urandom(8)
        iv = os.urandom(8)
        write("B-empty.env", 0, envelope(cbc("B", sk, iv, b""), rsa_encrypt(pems[0], sk), iv, "B", False, 0), ok(b""))

        # With p and q exchanged, (m mod q) - (m mod p) exceeds the new p for this block:
        # the CRT difference must be taken modulo p.
        f = fields[0]
        p, q = f["prime1"], f["prime2"]
        sk = os.urandom(8)
        while True:
            block = b"\x00\x02" + bytes(os.urandom(1)[0] | 1 for _ in range(53)) + b"\x00" + sk
            m = int.from_bytes(block, "big")
            if m % p > m % q + q:
                break
        plain = b"CRT avec q > p"
        iv = os.urandom(8)
        write("B-crt.env", 0, envelope(cbc("B", sk, iv, plain), rsa_encrypt(pems[0], block, raw=True), iv, "B",
                                       False, 0), ok(plain))

        # Refused session keys.
        n = fields[0]["modulus"]
        iv = os.urandom(8)
        content = cbc("B", os.urandom(8), iv, b"jamais lu")
        write("err-key65.env", 0, envelope(content, os.urandom(65), iv, "B", False, 0), "5159 1030")
        block = b"\x00\x01" + b"\xff" * 53 + b"\x00" + os.urandom(8)
        write("err-not-type2.env", 0, envelope(content, rsa_encrypt(pems[0], block, raw=True), iv, "B", False, 0),
              "5159 1033")
        block = b"\x00\x02" + bytes(range(1, 8)) + b"\x00" + os.urandom(54)
        write("err-pad7.env", 0, envelope(content, rsa_encrypt(pems[0], block, raw=True), iv, "B", False, 0),
              "5159 1033")
        write("err-c-is-n.env", 0, envelope(content, be(n, 64), iv, "B", False, 0), "5159 1033")
        write("err-d-key16.env", 0, envelope(content, rsa_encrypt(pems[0], os.urandom(16)), iv, "D", False, 0),
              "5159 1033")
        write("err-b-key24.env", 0, envelope(content, rsa_encrypt(pems[0], os.urandom(24)), iv, "B", False, 0),
              "5159 1033")
        write("err-wrong-key.env", 0, envelope(content, rsa_encrypt(pems[1], os.urandom(8)), iv, "B", False, 0),
              "5159 1033")

        # Refused final blocks.
        sk = os.urandom(8)
        enc_key = rsa_encrypt(pems[0], sk)
        for name, last in (("err-last-0", b"abcdefg\x00"), ("err-last-9", b"abcdefg\x09"),
                           ("err-pad-uneven", b"abcde\x03\x02\x03")):
            content = cbc("B", sk, iv, b"premier!" + last, nopad=True)
            write(name + ".env", 0, envelope(content, enc_key, iv, "B", False, 0), "5161 1028")
        write("err-content12.env", 0, envelope(os.urandom(12), enc_key, iv, "B", False, 0), "5161 1028")

    with open(os.path.join(HERE, "fixtures.txt"), "w") as fh:
        fh.write("\n".join(lines) + "\n")
    print(f"{len(lines)} envelopes written to {out_dir}")


if __name__ == "__main__":
    sys.exit(main())
