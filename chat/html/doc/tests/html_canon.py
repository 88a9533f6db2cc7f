#!/usr/bin/env python3
"""Well-formed pages for the renderer's parser and the tree Python reads from them.

    html_canon.py generate OUTDIR COUNT SEED

writes OUTDIR/pageNNN.htm (Latin-1 bytes) and OUTDIR/pageNNN.canon: the tree
html.parser builds from the page, one line per node:
    E NAME            an element (name upper-cased)
    A name hexvalue   one of its attributes (value decoded, Latin-1 bytes)
    T hexbytes        a text run, white space folded and trimmed
    /                 end of the element
Pages use known tags only, double-quoted attributes, explicit end tags (void
tags stand alone), and the entities that both parsers share. A FRAME, and
every FRAMESET after the first, keeps its content as a document of its own:
the tree shows it without children.
"""
import html.parser
import os
import random
import sys

CONTAINERS = ["HTML", "HEAD", "BODY", "CENTER", "P", "A", "FONT", "B", "TT", "BLOCKQUOTE", "I", "EM", "VAR",
              "CITE", "STRIKE", "S", "STRONG", "SMALL", "BIG", "U", "BLINK", "H1", "H2", "H3", "H4", "H5", "H6",
              "TABLE", "CAPTION", "TR", "TD", "TH", "LI", "SELECT", "WND", "FRAMESET", "FRAME"]
VOID = ["BR", "HR", "IMG", "RESIMG", "INPUT", "PARAM"]
ATTRS = ["href", "name", "width", "height", "color", "bgcolor", "align", "src", "alt", "size", "value"]
NAMED = ["lt", "gt", "amp", "quot", "apos", "nbsp", "eacute", "Eacute", "agrave", "ccedil", "Ccedil", "ouml",
         "copy", "reg", "yuml", "aelig", "ntilde", "Uuml"]
WHITE = " \t\r\n"


def entity(rng):
    if rng.random() < 0.5:
        return "&%s;" % rng.choice(NAMED)
    return "&#%d;" % rng.choice(list(range(32, 127)) + list(range(160, 256)))


def words(rng, allow_gt=True):
    out = []
    for _ in range(rng.randint(1, 6)):
        r = rng.random()
        if r < 0.15:
            out.append(entity(rng))
        elif r < 0.2:
            out.append(rng.choice(["\xe9t\xe9", "na\xefve", "\xa3", "50%"]))
        elif r < 0.25 and allow_gt:
            out.append(rng.choice([">", "a=b", "'q'", "& x"]))
        else:
            out.append("".join(rng.choice("abcdefghijklmnopqrstuvwxyzABCXYZ0123456789.,!?") for _ in range(rng.randint(1, 8))))
        out.append(rng.choice([" ", "  ", "\t", "\r\n", " \n "]))
    return "".join(out)


def attributes(rng):
    names = rng.sample(ATTRS, rng.randint(0, 3))
    out = ""
    for n in names:
        name = n.upper() if rng.random() < 0.5 else n
        value = words(rng).replace('"', "").strip(WHITE) or "v"
        value = " ".join(value.split())
        out += rng.choice([" ", "  ", "\t"]) + '%s="%s"' % (name, value)
    return out


def element(rng, depth):
    r = rng.random()
    if depth > 5 or r < 0.3:
        return words(rng)
    if r < 0.4:
        tag = rng.choice(VOID)
        return "<%s%s>" % (tag if rng.random() < 0.7 else tag.lower(), attributes(rng))
    if r < 0.45:
        return "<!-- note %d -->" % rng.randint(0, 99)
    tag = rng.choice(CONTAINERS)
    written = tag if rng.random() < 0.7 else tag.lower()
    inner = "".join(element(rng, depth + 1) for _ in range(rng.randint(0, 4)))
    return "<%s%s>%s</%s>" % (written, attributes(rng), inner, written)


class TreeReader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.lines = []
        self.text = ""
        self.frameset = False
        self.skip = 0  # depth inside the content of a frame

    def flush(self):
        folded = " ".join("".join(" " if c in WHITE else c for c in self.text).split(" "))
        folded = " ".join(part for part in folded.split(" ") if part)
        if folded:
            self.lines.append("T " + folded.encode("latin-1").hex())
        self.text = ""

    def handle_starttag(self, tag, attrs):
        if self.skip:
            if tag.upper() not in VOID:
                self.skip += 1
            return
        self.flush()
        self.lines.append("E " + tag.upper())
        for name, value in attrs:
            self.lines.append("A %s %s" % (name, (value or "").encode("latin-1").hex()))
        if tag.upper() in VOID:
            self.lines.append("/")
        elif tag.upper() == "FRAME" or (tag.upper() == "FRAMESET" and self.frameset):
            self.skip = 1
        elif tag.upper() == "FRAMESET":
            self.frameset = True

    def handle_endtag(self, tag):
        if self.skip:
            self.skip -= 1
            if self.skip:
                return
            self.text = ""
        self.flush()
        self.lines.append("/")

    def handle_comment(self, data):
        # A comment makes no element but ends the text run before it.
        if not self.skip:
            self.flush()

    def handle_data(self, data):
        if not self.skip:
            self.text += data


def main():
    if len(sys.argv) != 5 or sys.argv[1] != "generate":
        sys.exit(__doc__)
    out, count, seed = sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    os.makedirs(out, exist_ok=True)
    rng = random.Random(seed)
    for i in range(count):
        page = "".join(element(rng, 0) for _ in range(rng.randint(1, 5)))
        reader = TreeReader()
        reader.feed(page)
        reader.close()
        reader.flush()
        base = os.path.join(out, "page%03d" % i)
        with open(base + ".htm", "wb") as f:
            f.write(page.encode("latin-1"))
        with open(base + ".canon", "w") as f:
            f.write("".join(line + "\n" for line in reader.lines))


if __name__ == "__main__":
    main()
