#include "HtmlTreeDump.h"

#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HexDigits.h"

std::string HtmlEscapeForDump(const std::string& bytes)
{
    std::string out;
    for (char c : bytes)
    {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b > 0x7E || c == '"' || c == '\\')
        {
            out += "\\x";
            FdText::AppendHexByte(out, b, FdText::HexCase::kUpper);
        }
        else
            out += c;
    }
    return out;
}

namespace
{
std::string Quoted(const std::string& text)
{
    return "\"" + HtmlEscapeForDump(text) + "\"";
}

std::string DescribeContent(const CTag& element)
{
    if (const auto* text = dynamic_cast<const CTagTEXT*>(&element))
        return " " + Quoted(text->GetText());
    if (const auto* title = dynamic_cast<const CTagTITLE*>(&element))
        return " title=" + Quoted(title->GetTitle());
    if (const auto* option = dynamic_cast<const CTagOPTION*>(&element))
        return " text=" + Quoted(option->GetText()) + " value=" + Quoted(option->GetValue()) +
               (option->IsSelected() ? " selected" : "");
    return {};
}
} // namespace

std::string HtmlDumpElements(const CTag::List& elements, int level)
{
    std::string out;
    for (const auto& element : elements)
    {
        out.append(size_t(level) * 2, ' ');
        out += element->GetName();
        out += " (";
        out += element->GetRuntimeClass()->className;
        out += ")";
        if (!element->GetAttributes().empty())
            out += " [" + HtmlEscapeForDump(element->GetAttributes()) + "]";
        out += DescribeContent(*element);
        out += "\n";
        out += HtmlDumpElements(element->GetChildren(), level + 1);
    }
    return out;
}

std::string HtmlDumpTree(const CHtmlDoc& document)
{
    return HtmlDumpElements(document.GetElements());
}
