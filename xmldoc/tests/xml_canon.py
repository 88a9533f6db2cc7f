#!/usr/bin/env python3
"""Prints the element tree of each XML file given, as Python's standard parser reads it,
in the line form the differential test compares with:

  === <path>
  E <tag>            tag as {namespace}local or local, one line per element, pre-order
  A <name> <hex>     its attributes in source order, value in Latin-1 bytes as hex
  T <hex>            character data (stripped of space, tab, CR, LF; empty ones left out)
  /                  end of the element
"""
import sys
import xml.etree.ElementTree as ET

BLANKS = " \t\r\n"


def text_line(text, out):
    if text is not None:
        stripped = text.strip(BLANKS)
        if stripped:
            out.append("T " + stripped.encode("latin-1").hex())


def walk(element, out):
    out.append("E " + element.tag)
    for name, value in element.attrib.items():
        out.append("A " + name + " " + value.encode("latin-1").hex())
    text_line(element.text, out)
    for child in element:
        walk(child, out)
        text_line(child.tail, out)
    out.append("/")


def main():
    for path in sys.argv[1:]:
        out = ["=== " + path]
        try:
            walk(ET.parse(path).getroot(), out)
        except ET.ParseError as error:
            out.append("! " + str(error))
        sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
