// Parse throughput of CXmlDocument next to expat on the same generated 10 MB
// game-definition document. Not a test: it prints its figures.
#include <expat.h>
#include <malloc.h>

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
struct SFigures
{
    double ours = 0, expat = 0, catalogue = 0;
    size_t ourTags = 0, elements = 0;
    int32_t games = 0;
};

SFigures Measure(const std::string& xml, const std::string& source)
{
    SFigures f;
    f.ours = BestSeconds(
        [&]()
        {
            CXmlDocument doc;
            doc.vSetOperatingMode(kXmlModeTree);
            if (doc.lLoad(source, nullptr) != 0)
                std::fprintf(stderr, "CXmlDocument failed to load\n");
            f.ourTags = CountTags(doc);
        });
    CExpatCounts counts;
    f.expat = BestSeconds(
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
    f.elements = counts.elements;
    f.catalogue = BestSeconds(
        [&]()
        {
            int32_t error = 0;
            f.games = ParseGameDefinitions(source, "urn:zelto:gdef", &error)->Count();
            if (error != 0)
                std::fprintf(stderr, "ParseGameDefinitions: error %d\n", error);
        });
    return f;
}

void Print(const SFigures& f, double megabytes)
{
    std::printf("CXmlDocument: %.3f s  %.1f MB/s\n", f.ours, megabytes / f.ours);
    std::printf("expat:        %.3f s  %.1f MB/s\n", f.expat, megabytes / f.expat);
    std::printf("ratio CXmlDocument/expat throughput: %.2f\n", f.expat / f.ours);
    std::printf("ParseGameDefinitions: %.3f s  %.1f MB/s  %d games\n", f.catalogue, megabytes / f.catalogue,
                f.games);
    std::printf("ratio ParseGameDefinitions/expat throughput: %.2f\n", f.expat / f.catalogue);
}
} // namespace

int main()
{
    const std::string xml = fdbench::GenerateGameDefinitions(kDocumentBytes, 2024);
    const std::string source = "STR://" + xml;
    const double megabytes = static_cast<double>(xml.size()) / (1024.0 * 1024.0);

    // glibc hands a freed tree's memory back to the system, so every run pays for
    // fresh pages (tens of microseconds each on a busy virtual machine): the first
    // figures include that, the second keep freed memory in the process, as the
    // programs' own heap does between documents.
    const SFigures cold = Measure(xml, source);
    std::printf("document: %.1f MB, %zu tags (CXmlDocument, text nodes included), %zu elements (expat)\n",
                megabytes, cold.ourTags, cold.elements);
    std::printf("-- glibc returning freed memory to the system\n");
    Print(cold, megabytes);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    std::printf("-- glibc keeping freed memory in the process\n");
    Print(Measure(xml, source), megabytes);
    return 0;
}
