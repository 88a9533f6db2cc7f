// The two passes over a document's raw text: the pre-process walk that hands every
// tag to the sink, and the tree build.
#include <cstring>
#include <memory>
#include <vector>

#include "XmlDocument.h"
#include "XmlEntities.h"
#include "XmlScanner.h"

namespace
{
const char kXmlns[] = "xmlns";
constexpr size_t kXmlnsLength = 5;

// "xmlns" gives the empty prefix, "xmlns:p" the prefix p; false for other names.
bool IsDeclaration(const std::string& attribute, CStringExt& prefix)
{
    if (attribute.compare(0, kXmlnsLength, kXmlns) != 0)
        return false;
    if (attribute.size() == kXmlnsLength)
    {
        prefix.clear();
        return true;
    }
    if (attribute[kXmlnsLength] != ':')
        return false;
    prefix = attribute.substr(kXmlnsLength + 1);
    return true;
}

void TrimBlanks(size_t& begin, size_t& end, const std::string& text)
{
    while (begin < end && IsXmlBlank(text[begin]))
        ++begin;
    while (end > begin && IsXmlBlank(text[end - 1]))
        --end;
}

int32_t Percent(size_t position, size_t length)
{
    return length == 0 ? 0 : static_cast<int32_t>(static_cast<uint64_t>(position) * 100u / length);
}
} // namespace

void CXmlDocument::vPreProcessPass()
{
    std::vector<CXmlToken> tokens;
    XmlTokenize(m_sRawText, 0, tokens);
    CXmlMatcher matcher(m_sRawText, tokens);

    // Elements the walk is inside of, with the number of declarations they put in scope.
    struct COpenElement
    {
        size_t end;
        size_t declarations;
    };
    std::vector<COpenElement> open;
    std::vector<std::unique_ptr<CXmlNamespace>> declared;
    CXmlNamespaceScope scope;
    auto popDeclarations = [&](size_t count)
    {
        for (size_t k = 0; k < count; ++k)
        {
            scope.pop_back();
            declared.pop_back();
        }
    };

    size_t lastRewriteAt = std::string::npos;
    uint32_t rewritesInPlace = 0;
    uint32_t rewrites = 0;
    size_t i = 0;
    while (i < tokens.size())
    {
        const CXmlToken token = tokens[i];
        while (!open.empty() && open.back().end <= token.begin)
        {
            popDeclarations(open.back().declarations);
            open.pop_back();
        }
        if (token.kind != XmlTokenKind::Start)
        {
            ++i;
            continue;
        }
        vSendEvent(kXmlEventPreProcess, Percent(token.begin, m_sRawText.size()), 0);
        ++m_nTagCount;

        const CStringExt name(XmlTokenName(m_sRawText, token));
        const CStringExt attributes(XmlTokenAttributes(m_sRawText, token));
        size_t contentEnd = token.end;
        size_t spanEnd = token.end;
        if (!token.empty)
        {
            const CXmlMatch match = matcher.Find(i, tokens.size());
            if (match.found)
            {
                contentEnd = tokens[match.endToken].begin;
                spanEnd = tokens[match.endToken].end;
            }
            else
                vSetMatchError(name, token.end, match.stopPos);
        }

        size_t pushed = 0;
        for (const auto& pair : XmlParseAttributeText(attributes))
        {
            CStringExt prefix;
            if (!IsDeclaration(pair.first, prefix))
                continue;
            declared.push_back(
                std::unique_ptr<CXmlNamespace>(new CXmlNamespace{prefix, XmlUnformatString(pair.second)}));
            scope.push_back(declared.back().get());
            ++pushed;
        }
        const CXmlNamespace* tagNamespace = XmlResolvePrefix(scope, XmlNamePrefix(name));

        std::string content = m_sRawText.substr(token.end, contentEnd - token.end);
        const int32_t answer = m_pSink->OnPreProcessTag(name, attributes, tagNamespace, scope, content, this);

        bool rewrite = answer >= 0;
        size_t newLength = 0;
        const size_t spanLength = spanEnd - token.begin;
        const uint32_t inPlace = token.begin == lastRewriteAt ? rewritesInPlace + 1 : 1;
        if (rewrite)
        {
            newLength =
                static_cast<size_t>(answer) < content.size() ? static_cast<size_t>(answer) : content.size();
            // A sink that keeps giving the element back would never let the walk end.
            if (inPlace > kMaxRewritesInPlace || rewrites >= kMaxRewritesPerLoad ||
                m_sRawText.size() - spanLength + newLength > kMaxXmlSourceSize)
                rewrite = false;
        }
        if (!rewrite)
        {
            open.push_back(COpenElement{spanEnd, pushed});
            ++i;
            continue;
        }

        popDeclarations(pushed);
        if (m_boLocationIsRawText)
        {
            m_sLocation = m_sRawText;
            m_boLocationIsRawText = false;
        }
        m_sRawText.replace(token.begin, spanLength, content, 0, newLength);
        for (COpenElement& element : open)
        {
            if (element.end >= spanEnd)
                element.end = token.begin + newLength + (element.end - spanEnd);
            else if (element.end > token.begin)
                element.end = token.begin;
        }
        // The walk goes on where the element began, through the replacement text.
        tokens.resize(i);
        XmlTokenize(m_sRawText, token.begin, tokens);
        lastRewriteAt = token.begin;
        rewritesInPlace = inPlace;
        ++rewrites;
    }
}

struct CXmlDocument::CTreeState
{
    std::vector<CXmlToken> tokens;
    std::unique_ptr<CXmlMatcher> matcher;
    std::vector<std::pair<CStringExt, CStringExt>> attributes; // of the tag being built
};

namespace
{
size_t CountOf(const std::string& text, char c)
{
    size_t count = 0;
    for (const char* p = text.data();
         (p = static_cast<const char*>(std::memchr(p, c, text.data() + text.size() - p))) != nullptr; ++p)
        ++count;
    return count;
}
} // namespace

void CXmlDocument::vTreePass()
{
    vDropTree();
    m_nTagCount = 0;
    CTreeState state;
    // One token per '<' at most: no regrowth while tokenizing.
    state.tokens.reserve(CountOf(m_sRawText, '<'));
    XmlTokenize(m_sRawText, 0, state.tokens);
    state.matcher.reset(new CXmlMatcher(m_sRawText, state.tokens));
    vBuildLevel(state, this, 0, state.tokens.size(), 0, m_sRawText.size(), 0);
}

void CXmlDocument::vAddText(CXmlTag* parent, const std::string& pending, size_t begin, size_t end)
{
    // Without pending text the raw range is trimmed in place: blank runs between tags
    // cost no copy.
    std::string text;
    size_t first = begin;
    size_t last = end;
    if (pending.empty())
        TrimBlanks(first, last, m_sRawText);
    else
    {
        text = pending;
        text.append(m_sRawText, begin, end - begin);
        first = 0;
        last = text.size();
        TrimBlanks(first, last, text);
    }
    if (first >= last)
        return;
    vSendEvent(kXmlEventTreeTag, -1, static_cast<int32_t>(m_nTagCount));
    if (pending.empty())
        parent->lpAddRawTextChild(static_cast<uint32_t>(first), static_cast<uint32_t>(last - first));
    else
        parent->lpAddTextChild(text.substr(first, last - first));
    ++m_nTagCount;
}

void CXmlDocument::vBuildLevel(CTreeState& state, CXmlTag* parent, size_t firstToken, size_t endToken,
                               size_t textBegin, size_t textEnd, size_t depth)
{
    const std::vector<CXmlToken>& tokens = state.tokens;
    size_t pos = textBegin;
    // Character data on both sides of a comment or processing instruction is one text.
    std::string pending;
    size_t i = firstToken;
    while (i < endToken)
    {
        const CXmlToken& token = tokens[i];
        if (token.kind == XmlTokenKind::Other)
        {
            pending.append(m_sRawText, pos, token.begin - pos);
            pos = token.end;
            ++i;
            continue;
        }
        vAddText(parent, pending, pos, token.begin);
        pending.clear();
        pos = token.end;
        if (token.kind != XmlTokenKind::Start)
        {
            ++i;
            continue;
        }

        vSendEvent(kXmlEventTreeTag, -1, static_cast<int32_t>(m_nTagCount));
        CXmlTag* element = parent->lpNewChild();
        element->m_sName.assign(m_sRawText, token.nameBegin, token.nameLength);
        ++m_nTagCount;
        // Attribute values are decoded once here; DumpXml encodes them once.
        state.attributes.clear();
        XmlParseAttributeText(m_sRawText, token.attrBegin, token.attrLength, state.attributes);
        element->m_attributes.vUseStore(m_tagStore, static_cast<uint32_t>(state.attributes.size()));
        for (auto& pair : state.attributes)
        {
            CStringExt prefix;
            if (pair.second.find('&') != std::string::npos)
                pair.second = XmlUnformatString(pair.second);
            if (IsDeclaration(pair.first, prefix))
                element->lpAddNamespace(prefix, pair.second);
            else
                element->m_attributes.emplace_back(std::move(pair.first), std::move(pair.second));
        }
        element->vResolveNamespace();
        ++i;
        if (token.empty)
            continue;

        const std::string& name = element->m_sName;
        const CXmlMatch match = state.matcher->Find(i - 1, endToken);
        if (!match.found)
        {
            // No end tag: no children; what follows is built as following siblings.
            vSetMatchError(name, token.end, match.stopPos);
            continue;
        }
        const CXmlToken& close = tokens[match.endToken];
        if (depth + 1 >= CXmlMatcher::kMaxTagDepth)
            vSetError("Tag nesting too deep inside tag <" + name + ">", token.end, close.begin);
        else
            vBuildLevel(state, element, i, match.endToken, token.end, close.begin, depth + 1);
        i = match.endToken + 1;
        pos = close.end;
    }
    vAddText(parent, pending, pos, textEnd);
}
