// Writing a tag tree back as XML, as its content or as its character data.
#include "XmlDocument.h"
#include "XmlEntities.h"
#include "XmlTag.h"

namespace
{
const std::string kDefaultLineBreak = "\n";
const std::string kDefaultIndentUnit = "\t";

void TrimRightBlanks(std::string& text)
{
    size_t n = text.size();
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t' || text[n - 1] == '\r' || text[n - 1] == '\n'))
        --n;
    text.erase(n);
}
} // namespace

const std::string& CXmlTag::LineBreak() const
{
    return m_pDocument != nullptr ? m_pDocument->GetLineBreak() : kDefaultLineBreak;
}

const std::string& CXmlTag::IndentUnit() const
{
    return m_pDocument != nullptr ? m_pDocument->GetIndentUnit() : kDefaultIndentUnit;
}

// Children of the document (or of a root of its own) have depth 0.
int32_t CXmlTag::iDepth() const
{
    int32_t depth = -1;
    for (const CXmlTag* tag = m_pParent; tag != nullptr; tag = tag->m_pParent)
        ++depth;
    return depth < 0 ? 0 : depth;
}

static void AppendIndent(std::string& out, const std::string& lineBreak, const std::string& unit,
                         int32_t depth)
{
    out += lineBreak;
    for (int32_t i = 0; i < depth; ++i)
        out += unit;
}

// Each child on its own line; a text child trimmed on the right.
void CXmlTag::vWriteContent(std::string& out) const
{
    if (IsDataTag())
    {
        out.append(m_pFirstChild->TextData(), m_pFirstChild->TextLength());
        return;
    }
    for (const CXmlTag* child = m_pFirstChild; child != nullptr; child = child->m_pNextSibling)
    {
        if (child->IsLeafTag())
        {
            AppendIndent(out, LineBreak(), IndentUnit(), child->iDepth());
            std::string text(child->TextData(), child->TextLength());
            TrimRightBlanks(text);
            out += text;
        }
        else
            child->vWriteXml(out);
    }
}

void CXmlTag::vWriteXml(std::string& out) const
{
    if (m_sName.empty())
    {
        if (IsLeafTag())
            out.append(TextData(), TextLength());
        else
            vWriteContent(out);
        return;
    }
    const int32_t depth = iDepth();
    AppendIndent(out, LineBreak(), IndentUnit(), depth);
    out += '<';
    out += m_sName;
    for (const auto& attribute : m_attributes)
    {
        out += ' ';
        out += attribute.first;
        out += "=\"";
        out += XmlFormatString(attribute.second);
        out += '"';
    }
    for (int32_t i = 0; i < GetNamespaceCount(); ++i)
    {
        const CXmlNamespace* declaration = GetNamespaceAt(i);
        out += " xmlns";
        if (!declaration->prefix.empty())
        {
            out += ':';
            out += declaration->prefix;
        }
        out += "=\"";
        out += XmlFormatString(declaration->name);
        out += '"';
    }
    if (m_pFirstChild == nullptr)
    {
        out += "/>";
        return;
    }
    out += '>';
    vWriteContent(out);
    if (!IsDataTag())
        AppendIndent(out, LineBreak(), IndentUnit(), depth);
    out += "</";
    out += m_sName;
    out += '>';
}

void CXmlTag::vWriteText(std::string& out) const
{
    if (IsLeafTag())
        out.append(TextData(), TextLength());
    for (const CXmlTag* child = m_pFirstChild; child != nullptr; child = child->m_pNextSibling)
        child->vWriteText(out);
}

CStringExt CXmlTag::DumpValue(bool decodeEntities) const
{
    std::string out;
    if (IsLeafTag())
        out.assign(TextData(), TextLength());
    else
    {
        vWriteContent(out);
        // Nothing before the first child.
        if (!IsDataTag() && m_pFirstChild != nullptr)
        {
            const size_t prefix =
                LineBreak().size() + IndentUnit().size() * static_cast<size_t>(m_pFirstChild->iDepth());
            out.erase(0, prefix < out.size() ? prefix : out.size());
        }
    }
    return decodeEntities ? XmlUnformatString(out) : CStringExt(std::move(out));
}

CStringExt CXmlTag::DumpText(bool decodeEntities) const
{
    std::string out;
    vWriteText(out);
    return decodeEntities ? XmlUnformatString(out) : CStringExt(std::move(out));
}

CStringExt CXmlTag::DumpXml(bool decodeEntities) const
{
    if (m_sName.empty() && !IsLeafTag())
        return DumpValue(decodeEntities);
    std::string out;
    vWriteXml(out);
    return decodeEntities ? XmlUnformatString(out) : CStringExt(std::move(out));
}
