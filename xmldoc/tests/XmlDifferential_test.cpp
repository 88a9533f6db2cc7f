// The tree CXmlDocument builds from well-formed documents, compared with what
// Python's standard XML parser reads from the same bytes.
#include "HexDigits.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../bench/GameDefGenerator.h"
#include "XmlDocument.h"
#include "XmlEntities.h"

namespace
{
std::string Hex(const std::string& bytes)
{
    return FdText::HexText(bytes.data(), bytes.size(), FdText::HexCase::kLower);
}

std::string LocalName(const std::string& name)
{
    const size_t colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

void Canon(const CXmlTag* tag, std::vector<std::string>& out)
{
    if (tag->IsLeafTag())
    {
        out.push_back("T " + Hex(XmlUnformatString(tag->GetText())));
        return;
    }
    const std::string ns = tag->GetNamespaceName();
    out.push_back("E " + (ns.empty() ? "" : "{" + ns + "}") + LocalName(tag->GetName()));
    CStringExt name, value;
    for (int32_t i = 0; tag->boGetAttributeAt(i, name, value); ++i)
        out.push_back("A " + name + " " + Hex(value));
    for (const CXmlTag* child = tag->lpGetNextChildTag(nullptr); child != nullptr;
         child = tag->lpGetNextChildTag(child))
        Canon(child, out);
    out.push_back("/");
}

std::vector<std::string> OurCanon(const std::string& xml)
{
    CXmlDocument doc;
    std::vector<std::string> out;
    if (doc.lLoad("STR://" + xml, nullptr) != 0)
        return {"! load failed"};
    if (doc.GetLastXmlError() != 0)
        out.push_back("! error");
    int elements = 0;
    for (const CXmlTag* child = doc.lpGetNextChildTag(nullptr); child != nullptr;
         child = doc.lpGetNextChildTag(child))
    {
        if (child->IsLeafTag())
            out.push_back("! text outside the root");
        else
        {
            ++elements;
            Canon(child, out);
        }
    }
    if (elements != 1)
        out.push_back("! " + std::to_string(elements) + " root elements");
    return out;
}

// Runs the Python reader once over every file; its lines per file.
std::map<std::string, std::vector<std::string>> PythonCanon(const std::vector<std::string>& paths)
{
    const char* python = std::getenv("FD_PYTHON");
    const char* script = std::getenv("FD_XML_CANON");
    std::map<std::string, std::vector<std::string>> result;
    if (python == nullptr || script == nullptr)
        return result;
    std::string command = std::string("'") + python + "' '" + script + "'";
    for (const std::string& path : paths)
        command += " '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::string output;
    char buffer[65536];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    pclose(pipe);

    std::istringstream lines(output);
    std::string line;
    std::vector<std::string>* current = nullptr;
    while (std::getline(lines, line))
    {
        if (line.compare(0, 4, "=== ") == 0)
            current = &result[line.substr(4)];
        else if (current != nullptr)
            current->push_back(line);
    }
    return result;
}

const char* const kDocuments[] = {
    "<a/>",
    "<a>t</a>",
    "<a x=\"1\" y = \"two words\" z=\"&lt;&amp;&gt;&quot;&apos;\">text &amp; more</a>",
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r>\n  <!-- comment -->\n  <b>caf\xE9 "
    "&#233;&#65;</b>\n</r>\n",
    "<r xmlns=\"urn:d\" xmlns:p=\"urn:p\"><p:x><y/><p:z xmlns:p=\"urn:q\"/></p:x><w xmlns=\"\"/></r>",
    "<r>before<i>inner</i>between<j/>after</r>",
    "<r><a><a><a>deep</a></a></a><a/></r>",
    "<r><e attr=\"a&gt;b\"/>  spaced   text  </r>",
    "<r><x>1 &lt; 2 &gt; 0</x><x>2</x></r>",
    "<R><Mixed>Case</Mixed></R>",
    "<r a=\"&#10;\"><t>&#169; &#255;</t></r>",
    "<r>before <!-- c --> after<?pi x?>end<i/>  <!-- d -->  </r>",
};
} // namespace

TEST(XmlDifferential, SameTreeAsPythonsParser)
{
    std::vector<std::string> docs(std::begin(kDocuments), std::end(kDocuments));
    docs.push_back(fdbench::GenerateGameDefinitions(1 << 20, 12345));

    // The documents go to a folder of their own, removed however the test ends.
    namespace fs = std::filesystem;
    char folderTemplate[] = "/tmp/xml_differential.XXXXXX";
    ASSERT_NE(mkdtemp(folderTemplate), nullptr);
    const fs::path folder(folderTemplate);
    struct Cleanup
    {
        fs::path path;
        ~Cleanup()
        {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } cleanup{folder};

    std::vector<std::string> paths;
    for (size_t i = 0; i < docs.size(); ++i)
    {
        paths.push_back((folder / ("doc_" + std::to_string(i) + ".xml")).string());
        FILE* f = std::fopen(paths.back().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(docs[i].data(), 1, docs[i].size(), f);
        std::fclose(f);
    }
    const auto expected = PythonCanon(paths);
    ASSERT_EQ(expected.size(), docs.size()) << "python3 did not read the documents";

    for (size_t i = 0; i < docs.size(); ++i)
    {
        const std::vector<std::string>& theirs = expected.at(paths[i]);
        const std::vector<std::string> ours = OurCanon(docs[i]);
        ASSERT_FALSE(theirs.empty());
        ASSERT_NE(theirs.front().substr(0, 1), "!") << "not well-formed: " << docs[i].substr(0, 200);
        EXPECT_EQ(ours.size(), theirs.size()) << docs[i].substr(0, 200);
        for (size_t k = 0; k < ours.size() && k < theirs.size(); ++k)
        {
            if (ours[k] != theirs[k])
            {
                ADD_FAILURE() << "document " << i << " line " << k << ": ours " << ours[k] << " python "
                              << theirs[k];
                break;
            }
        }
    }
}
