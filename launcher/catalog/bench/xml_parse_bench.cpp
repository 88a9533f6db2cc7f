// Parse throughput of CXmlDocument next to expat on the same generated 10 MB
// game-definition document. Not a test: it prints its figures.
#include <expat.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "GameDefGenerator.h"
#include "GameDefinitions.h"
#include "XmlDocument.h"

namespace
{
constexpr size_t kDocumentBytes = 10u * 1024u * 1024u;
constexpr int kRuns = 5;

struct CExpatCounts
{
    size_t elements = 0;
    size_t textBytes = 0;
};

void XMLCALL OnStart(void* data, const XML_Char*, const XML_Char**)
{
    ++static_cast<CExpatCounts*>(data)->elements;
}

void XMLCALL OnText(void* data, const XML_Char*, int length)
{
    static_cast<CExpatCounts*>(data)->textBytes += static_cast<size_t>(length);
}

template <class F> double BestSeconds(F run)
{
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i)
    {
        const auto start = std::chrono::steady_clock::now();
        run();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = seconds < best ? seconds : best;
    }
    return best;
}

size_t CountTags(const CXmlDocument& doc)
{
    size_t count = 0;
    for (const CXmlTag* tag = doc.lpGetNextTag(nullptr); tag != nullptr; tag = tag->lpGetNextTag(nullptr))
        ++count;
    return count;
}
} // namespace

int main()
{
    const std::string xml = fdbench::GenerateGameDefinitions(kDocumentBytes, 2024);
    const std::string source = "STR://" + xml;
    const double megabytes = static_cast<double>(xml.size()) / (1024.0 * 1024.0);

    size_t ourTags = 0;
    const double ours = BestSeconds(
        [&]()
        {
            CXmlDocument doc;
            doc.vSetOperatingMode(kXmlModeTree);
            if (doc.lLoad(source, nullptr) != 0)
                std::fprintf(stderr, "CXmlDocument failed to load\n");
            ourTags = CountTags(doc);
        });

    CExpatCounts counts;
    const double expat = BestSeconds(
        [&]()
        {
            counts = CExpatCounts();
            XML_Parser parser = XML_ParserCreate(nullptr);
            XML_SetUserData(parser, &counts);
            XML_SetElementHandler(parser, OnStart, nullptr);
            XML_SetCharacterDataHandler(parser, OnText);
            if (XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) != XML_STATUS_OK)
                std::fprintf(stderr, "expat: %s\n", XML_ErrorString(XML_GetErrorCode(parser)));
            XML_ParserFree(parser);
        });

    int32_t games = 0;
    const double catalogue = BestSeconds(
        [&]()
        {
            int32_t error = 0;
            games = ParseGameDefinitions(source, "urn:zelto:gdef", &error)->Count();
            if (error != 0)
                std::fprintf(stderr, "ParseGameDefinitions: error %d\n", error);
        });

    std::printf("document: %.1f MB, %zu tags (CXmlDocument, text nodes included), %zu elements (expat)\n",
                megabytes, ourTags, counts.elements);
    std::printf("CXmlDocument: %.3f s  %.1f MB/s\n", ours, megabytes / ours);
    std::printf("expat:        %.3f s  %.1f MB/s\n", expat, megabytes / expat);
    std::printf("ratio CXmlDocument/expat throughput: %.2f\n", expat / ours);
    std::printf("ParseGameDefinitions: %.3f s  %.1f MB/s  %d games\n", catalogue, megabytes / catalogue, games);
    std::printf("ratio ParseGameDefinitions/expat throughput: %.2f\n", expat / catalogue);
    return 0;
}
