// The tag scanner and token reader of the parser. Positions and lengths are
// byte offsets into the source text.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
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

// Finds the end tags of many start tags of one text with the result of
// HtmlFindEndTag but without scanning to the end of the text for each of
// them. The tags met from a position on (end tags counting) are listed once;
// along that list each name's tags and end tags are counted, so the end tag
// where a search's depth comes back to 0 is a lookup. A search first walks
// on its own until it meets a listed tag (a tag's extent doesn't depend on
// where the walk began, so from there on both walks are the same). Text
// replaced through Spliced leaves the list valid only behind the change.
class HtmlEndTagIndex
{
public:
    // The end tag closing a start tag called name whose tag ends at from;
    // first (when given) receives the first tag at or after from.
    HtmlTagInfo Find(const char* text, uint32_t size, uint32_t from, const std::string& name,
                     HtmlTagInfo* first = nullptr);
    // oldLength bytes at position were replaced by newLength bytes.
    void Spliced(uint32_t position, uint32_t oldLength, uint32_t newLength);

    // A walk that meets no listed tag within this many bytes lists the tags
    // again from where it began.
    static constexpr uint32_t kWalkLimit = 8 * kHtmlTagWindow;

private:
    struct NameCounts
    {
        std::vector<uint32_t> at;   // list indexes of the name's tags and end tags
        std::vector<int32_t> depth; // tags minus end tags through each of them
        std::vector<std::pair<int32_t, uint32_t>> ends; // (depth, list index) of end tags, sorted
    };
    void Build(const char* text, uint32_t size, uint32_t from);
    // The list index of a tag at a position of the current text, or -1.
    int64_t Listed(uint32_t position) const;

    bool m_built = false;
    std::vector<uint32_t> m_positions; // of the listed tags, as they were when listed
    std::unordered_map<std::string, NameCounts> m_names;
    int64_t m_shift = 0;      // listed position + shift = position in the current text
    uint32_t m_validFrom = 0; // listed positions below this one were changed
};

// Where a start tag's content ends (used by the token read and by the
// hand-over pass): through its end tag, up to the next tag for a table tag
// whose end tag is missing, or nothing. Without an index every search scans
// on to its end tag or the end of the text.
void HtmlTagExtent(const char* text, uint32_t size, HtmlToken& token, HtmlEndTagHints* hints = nullptr,
                   HtmlEndTagIndex* index = nullptr);

// The next token from a position: a text run or a tag with its content.
HtmlToken HtmlReadToken(const char* text, uint32_t size, uint32_t from, HtmlEndTagHints* hints = nullptr,
                        HtmlEndTagIndex* index = nullptr);

bool HtmlIsComment(const std::string& name);
