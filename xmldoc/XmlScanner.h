// The tag scanner shared by both passes of the document: tags as tokens, attribute
// texts as pairs, and the search for an element's end tag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "StringExt.h"

// A tag whose closing '>' is not found within this many bytes of its '<' is skipped.
constexpr size_t kMaxTagLength = 4096;

enum class XmlTokenKind : uint8_t
{
    Start, // start tag, or empty-element tag when empty is set
    End,
    Other, // comment, processing instruction, declaration, nameless tag
};

// Positions are 32-bit: a document's text is at most kMaxXmlSourceSize bytes.
struct CXmlToken
{
    uint32_t begin; // the '<'
    uint32_t end;   // one past the '>'
    uint32_t nameBegin;
    uint32_t nameLength;
    uint32_t attrBegin; // attribute text (may start with blanks)
    uint32_t attrLength;
    XmlTokenKind kind;
    bool empty; // "<name/>"
};

// Blank of attribute texts and tag names: space, tab, CR, LF.
bool IsXmlBlank(char c);

// Appends the tokens of text from position from on; text is at most
// kMaxXmlSourceSize bytes.
void XmlTokenize(const std::string& text, size_t from, std::vector<CXmlToken>& tokens);

std::string XmlTokenName(const std::string& text, const CXmlToken& token);
std::string XmlTokenAttributes(const std::string& text, const CXmlToken& token);

// name="value" pairs of an attribute text, in source order, values undecoded and
// without their surrounding double quotes.
std::vector<std::pair<CStringExt, CStringExt>> XmlParseAttributeText(const std::string& attributes);
// The same over attributes[from, from + length), appended to pairs.
void XmlParseAttributeText(const std::string& attributes, size_t from, size_t length,
                           std::vector<std::pair<CStringExt, CStringExt>>& pairs);

// Search for the end tag matching the start token at index start, among the tokens
// before limit. Counts steps against a budget shared by one pass.
struct CXmlMatch
{
    bool found;
    size_t endToken; // the matching end tag when found
    size_t stopPos;  // text position where the search stopped
};

class CXmlMatcher
{
public:
    // Searches never cost more than this many token steps per token of the text in one
    // pass; an end tag costs one step per enclosing element, so well-nested documents up
    // to kMaxTagDepth levels always stay within it.
    static constexpr size_t kMaxTagDepth = 256;

    CXmlMatcher(const std::string& text, const std::vector<CXmlToken>& tokens)
        : m_text(text), m_tokens(tokens)
    {
    }
    CXmlMatch Find(size_t start, size_t limit);

private:
    const std::string& m_text;
    const std::vector<CXmlToken>& m_tokens;
    size_t m_nSteps = 0;
};
