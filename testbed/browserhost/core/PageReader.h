// What the browser host reads of a page: EMBED and OBJECT elements (with
// their attributes, and the PARAMs of an OBJECT), FRAME and IFRAME
// elements, and BASE. Everything else is skipped: comments, the content of
// SCRIPT, STYLE, TEXTAREA, TITLE, XMP, IFRAME, NOFRAMES and NOEMBED, and
// every other tag. The page is read as CP1252 bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace FdBrowserHost
{
constexpr std::size_t kMaxPageBytes = 4 * 1024 * 1024;
constexpr std::size_t kMaxPlugElements = 64;
constexpr std::size_t kMaxFrameElements = 64;
constexpr std::size_t kMaxAttributes = 128; // per element
constexpr std::size_t kMaxParams = 256;     // per OBJECT
constexpr std::size_t kMaxObjectDepth = 16; // OBJECT inside OBJECT
constexpr std::size_t kMaxAttrNameLength = 128;
constexpr std::size_t kMaxAttrValueLength = 65536;

struct SHtmlAttr
{
    std::string strName;  // as written in the tag
    std::string strValue; // character references decoded; "" for a bare name
};

// A PARAM of an OBJECT. vt="i4" (the host's own attribute) makes the value
// a number in the property bag; every other PARAM is a string.
struct SParam
{
    std::string strName;
    std::string strValue;
    std::string strVt; // "" or the vt attribute, lower-cased
};

enum class EPlugKind
{
    Embed,
    Object
};

struct SPlugElement
{
    EPlugKind eKind = EPlugKind::Embed;
    std::vector<SHtmlAttr> attrs; // page order; a repeated name keeps its first value
    std::vector<SParam> params;   // OBJECT only, page order
    int iInsideObject = -1;       // index of the OBJECT whose content holds this element
    std::size_t offset = 0;       // of its '<'

    // Value of an attribute, names compared without case; null when absent.
    const std::string* pAttr(const std::string& name) const;
};

struct SFrameElement
{
    std::string strName;
    std::string strSrc;
    bool boIframe = false;
    std::size_t offset = 0;
};

struct SPage
{
    std::string strBaseHref; // the first BASE HREF, or ""
    std::vector<SPlugElement> elements;
    std::vector<SFrameElement> frames;
};

struct SPageError
{
    std::size_t offset = 0;
    std::string strText;
};

// False with the offset and a reason when the page breaks a bound above or
// a tag or quoted value is not terminated.
bool boReadPage(const std::string& html, SPage* pPage, SPageError* pError);
} // namespace FdBrowserHost
