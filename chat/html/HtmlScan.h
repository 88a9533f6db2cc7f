// The tag scanner and token reader of the parser. Positions and lengths are
// byte offsets into the source text.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Bytes looked at from a '<' for its tag; a tag is at most one byte less.
constexpr uint32_t kHtmlTagWindow = 1024;

struct HtmlTagInfo
{
    bool found = false;
    uint32_t position = 0; // of the '<'
    uint32_t length = 0;   // through the '>'
    std::string name;      // upper-cased; end tags begin with '/'
    std::string attributes;
    bool selfClosed = false;
};

// The next tag at or after from. Without endTagsCount, "</..." is text.
// '<' followed by a space, an empty tag ("<>"), a tag without a name and a
// tag whose '>' doesn't come within the window are text too.
HtmlTagInfo HtmlNextTag(const char* text, uint32_t size, uint32_t from, bool endTagsCount);

// The end tag that closes a start tag called name, searched from from on:
// tags of the same name nest.
HtmlTagInfo HtmlFindEndTag(const char* text, uint32_t size, uint32_t from, const std::string& name);

// Where end tags may be: a tag "/NAME" needs the bytes "</NAME" (any case)
// at its start, so a search that finds none of them fails at once instead of
// scanning the rest of the text. Built over a text that doesn't change.
class HtmlEndTagHints
{
public:
    HtmlEndTagHints(const char* text, uint32_t size) : m_text(text), m_size(size) {}
    // false when no end tag of that (upper-case) name can start at or after from.
    bool MayHaveEndTag(const std::string& name, uint32_t from);

private:
    const char* m_text;
    uint32_t m_size;
    std::vector<std::pair<std::string, int64_t>> m_last; // name, last candidate or -1
};

// Whether "</" and the name (any case) occur at or after from.
bool HtmlHasEndTagCandidate(const char* text, uint32_t size, uint32_t from, const std::string& name);

struct HtmlToken
{
    bool found = false;
    bool isText = false; // a "NOTAG" run of text
    HtmlTagInfo tag;     // the start tag (name "NOTAG" for text)
    uint32_t contentPosition = 0;
    uint32_t contentLength = 0;
    uint32_t extentEnd = 0; // end of the start tag, content and end tag
    uint32_t next = 0;      // where the next token starts
};

// Where a start tag's content ends (Part of the token read, also used by the
// hand-over pass): through its end tag, up to the next tag for a table tag
// whose end tag is missing, or nothing.
void HtmlTagExtent(const char* text, uint32_t size, HtmlToken& token, HtmlEndTagHints* hints = nullptr);

// The next token from a position: a text run or a tag with its content.
HtmlToken HtmlReadToken(const char* text, uint32_t size, uint32_t from, HtmlEndTagHints* hints = nullptr);

bool HtmlIsComment(const std::string& name);
