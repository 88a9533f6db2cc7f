// The element tree as text, one element per line, indented two spaces per
// level: name, class, attribute text in brackets and, for text runs, titles
// and options, their text in quotes (bytes outside printable ASCII as \xNN).
#pragma once

#include <string>

#include "HtmlTag.h"

class CHtmlDoc;

std::string HtmlDumpTree(const CHtmlDoc& document);
std::string HtmlDumpElements(const CTag::List& elements, int level = 0);
// The bytes with '"', '\' and bytes outside 0x20-0x7E written as \xNN.
std::string HtmlEscapeForDump(const std::string& bytes);
