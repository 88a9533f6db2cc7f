#include "TrustBoundary.h"

#include "ChatTextUtil.h"
#include "HtmlAttr.h"
#include "html/doc/HtmlScan.h"
#include "html/doc/HtmlText.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;
using ChatText::boStartsNoCase;

const char* const kStrangerMark = "DI_EXT";

namespace
{

// The browser links strDisarmForeignLinks writes.
const char kBrowserLink[] = "@EXTLNK@";

// Elements of the renderer that only shape text.
const char* const kShownElements[] = {"CENTER", "P",     "FONT",    "B",     "TT",  "BLOCKQUOTE", "I",
                                      "EM",     "VAR",   "CITE",    "STRIKE", "S",  "STRONG",     "SMALL",
                                      "BIG",    "U",     "BLINK",   "H1",    "H2",  "H3",         "H4",
                                      "H5",     "H6",    "TABLE",   "CAPTION", "TR", "TD",        "TH",
                                      "LI",     "BR",    "HR"};

// Tags that run (or mark a message) on arrival and are not shown.
const char* const kRunOnArrival[] = {"DYN_GRP", "DYNGRP_ADDGRP", "DYNGRP_ADDUSER", "DYNGRP_REMUSER", "DYN_MPD"};
const char* const kMessageMarks[] = {"SMESS", "TMESS"};

template <size_t N> bool boIn(const std::string& name, const char* const (&names)[N])
{
    for (const char* n : names)
        if (boEqualNoCase(name, n))
            return true;
    return false;
}

bool boNamesAddress(const std::string& attributes)
{
    const std::string upper = HtmlUpper(attributes);
    return upper.find("HREF") != std::string::npos || upper.find("SRC") != std::string::npos ||
           upper.find("BACKGROUND") != std::string::npos || upper.find("ACTION") != std::string::npos;
}

// Printable ASCII without quotes, angle brackets, blanks or '&'.
bool boPlainAddress(const std::string& address)
{
    for (char c : address)
        if (c <= ' ' || c >= 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '&')
            return false;
    return !address.empty();
}

// The kept form of a browser link's start tag; empty when it is not one.
std::string strBrowserLink(const std::string& attributes)
{
    const std::string href = GetAttrOr("HREF", attributes);
    if (href.compare(0, sizeof kBrowserLink - 1, kBrowserLink) != 0)
        return {};
    const std::string url = href.substr(sizeof kBrowserLink - 1);
    if (!(boStartsNoCase(url, "http://") || boStartsNoCase(url, "https://") || boStartsNoCase(url, "mailto:")) ||
        !boPlainAddress(url))
        return {};
    const std::string upper = HtmlUpper(attributes);
    if (upper.find("SRC") != std::string::npos || upper.find("BACKGROUND") != std::string::npos ||
        upper.find("ACTION") != std::string::npos)
        return {};
    return "<A HREF=\"" + href + "\">";
}

} // namespace

bool boStrangerMayRun(const std::string& tagName)
{
    return boIn(tagName, kRunOnArrival);
}

std::string strStrangerShown(const std::string& text)
{
    const char* bytes = text.data();
    const uint32_t size = text.size() > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(text.size());
    std::string out;
    out.reserve(text.size());
    uint32_t pos = 0;
    while (pos < size)
    {
        const size_t lt = text.find('<', pos);
        if (lt == std::string::npos || lt >= size)
        {
            out.append(text, pos, size - pos);
            break;
        }
        out.append(text, pos, lt - pos);
        const uint32_t at = static_cast<uint32_t>(lt);
        const HtmlTagInfo tag = HtmlNextTag(bytes, size, at, true);
        if (!tag.found || tag.position != at || tag.length == 0)
        {
            out += "&lt;";
            pos = at + 1;
            continue;
        }
        const bool closing = !tag.name.empty() && tag.name[0] == '/';
        const std::string name = closing ? tag.name.substr(1) : tag.name;
        const uint32_t next = at + tag.length;
        if (boIn(name, kRunOnArrival) || boIn(name, kMessageMarks))
        {
            pos = next;
            continue;
        }
        std::string kept;
        if (name == "A")
            kept = closing ? std::string("</A>") : strBrowserLink(tag.attributes);
        else if (boIn(name, kShownElements) && (closing || !boNamesAddress(tag.attributes)))
        {
            // The tag as written, with no second '<' inside it.
            kept = "<";
            for (uint32_t i = at + 1; i < next; ++i)
                kept += bytes[i] == '<' ? std::string("&lt;") : std::string(1, bytes[i]);
        }
        if (kept.empty())
        {
            out += "&lt;";
            pos = at + 1;
            continue;
        }
        out += kept;
        pos = next;
    }
    return out;
}

std::string strStrangerMarked(const std::string& text)
{
    const std::string shown = strStrangerShown(text);
    if (shown.empty())
        return {};
    return std::string("<") + kStrangerMark + ">" + shown + "</" + kStrangerMark + ">";
}

std::string strMarkupValue(const std::string& text)
{
    std::string out;
    for (char c : HtmlEncodeEntities(text))
    {
        if (c == '\r')
            out += "&#13;";
        else if (c == '\n')
            out += "&#10;";
        else if (c != '\0')
            out += c;
    }
    return out;
}

} // namespace ChatModel
