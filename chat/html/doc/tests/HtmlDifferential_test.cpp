// The tree CHtmlDoc builds from generated well-formed pages, compared with
// the tree Python's html.parser reads from the same bytes
// (tests/html_canon.py writes both the pages and Python's trees).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "HtmlAttr.h"
#include "HtmlDoc.h"
#include "HexDigits.h"
#include "HtmlElements.h"
#include "HtmlStdHost.h"
#include "HtmlText.h"
#include "TestFiles.h"

namespace
{
constexpr int kPages = 300;

std::string Hex(const std::string& bytes)
{
    return FdText::HexText(bytes.data(), bytes.size(), FdText::HexCase::kLower);
}

std::string Fold(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        const bool white = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (white)
        {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        }
        else
            out += c;
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// Names of the attributes written name="value", in order.
std::vector<std::string> AttributeNames(const std::string& text)
{
    std::vector<std::string> names;
    size_t i = 0;
    while (i < text.size())
    {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != '=' && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            names.push_back(text.substr(start, i - start));
        if (i < text.size() && text[i] == '=')
        {
            i = text.find('"', i);
            i = i == std::string::npos ? text.size() : text.find('"', i + 1);
            i = i == std::string::npos ? text.size() : i + 1;
        }
    }
    return names;
}

void Canon(const CTag& element, std::vector<std::string>& out)
{
    if (const auto* text = dynamic_cast<const CTagTEXT*>(&element))
    {
        const std::string folded = Fold(text->GetText());
        if (!folded.empty())
            out.push_back("T " + Hex(folded));
        return;
    }
    out.push_back("E " + element.GetName());
    for (const std::string& name : AttributeNames(element.GetAttributes()))
        out.push_back("A " + HtmlLower(name) + " " + Hex(element.GetAttr(name)));
    for (const auto& child : element.GetChildren())
        Canon(*child, out);
    out.push_back("/");
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

TEST(HtmlDifferential, GeneratedPagesReadAsPythonReadsThem)
{
    const char* python = std::getenv("FD_PYTHON");
    const char* script = std::getenv("FD_HTML_CANON");
    if (python == nullptr || script == nullptr)
        GTEST_SKIP() << "FD_PYTHON or FD_HTML_CANON not set";
    const std::string dir = "html_differential_pages";
    const std::string command =
        std::string(python) + " " + script + " generate " + dir + " " + std::to_string(kPages) + " 2026";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    int differing = 0;
    for (int i = 0; i < kPages; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof name, "/page%03d", i);
        const std::string base = dir + name;
        FdHtmlTest::StdFileHost host;
        CHtmlDoc doc(nullptr, &host);
        std::string error;
        ASSERT_EQ(doc.Load(base + ".htm", &error, nullptr, 0, 0), 0) << error;
        std::vector<std::string> lines;
        for (const auto& element : doc.GetElements())
            Canon(*element, lines);
        const std::string ours = Lines(lines);
        // A differing tree is left beside the expected one for a look.
        const testing::AssertionResult same =
            FdTestKit::MatchesGolden(ours, base + ".canon", base + ".actual");
        if (!same)
        {
            ADD_FAILURE() << base << ".htm: tree differs\n" << same.message();
            if (++differing == 5)
                break;
        }
    }
}
} // namespace
