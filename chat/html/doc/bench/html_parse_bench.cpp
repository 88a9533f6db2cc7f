// Parsing throughput of the renderer's document on a generated page of
// about 10 MB, next to libxml2's HTML parser on the same bytes as the floor;
// then 1 MB pages of start tags left open with one end tag at the end, next
// to pages of the same tags closed. Not a test: it prints its figures.
#include <libxml/HTMLparser.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "HtmlDoc.h"

namespace
{
std::string MakePage(size_t bytes)
{
    std::string page = "<HTML><HEAD><TITLE>bench</TITLE></HEAD><BODY BGCOLOR=#FFFFFF>\n";
    for (int i = 0; page.size() < bytes; ++i)
    {
        page += "<A HREF=\"@BUD@0@nick" + std::to_string(i % 97) + "\">nick" + std::to_string(i % 97) +
                "</A>&gt; <A HREF=\"@MESS@" + std::to_string(i) + "\">line " + std::to_string(i) +
                " of the chat &eacute;t&eacute; <B>bold</B> <FONT COLOR=#C00000>red</FONT></A><BR>\n";
        if (i % 50 == 0)
            page += "<TABLE BORDER=1><TR><TD WIDTH=40%>cell</TD><TD>other</TD></TR></TABLE>\n";
    }
    page += "</BODY></HTML>\n";
    return page;
}

// A page of about bytes bytes: "<TAG>x" over and over, closed each time
// ("<TAG>x</TAG>") or left open with a single end tag at the end.
std::string RepeatTag(const std::string& name, size_t bytes, bool closed)
{
    const std::string unit = "<" + name + ">x" + (closed ? "</" + name + ">" : "");
    std::string page;
    page.reserve(bytes + unit.size() + name.size() + 3);
    while (page.size() < bytes)
        page += unit;
    if (!closed)
        page += "</" + name + ">";
    return page;
}

template <class F> double BestMs(F run)
{
    double best = 1e30;
    for (int i = 0; i < 3; ++i)
    {
        const auto start = std::chrono::steady_clock::now();
        run();
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    return best;
}
} // namespace

int main()
{
    const std::string page = MakePage(10u << 20);
    const std::string address = "STR://" + page;
    int32_t elements = 0;
    const double ours = BestMs([&] {
        CHtmlDoc doc;
        std::string error;
        doc.Load(address, &error, nullptr, 0, 0);
        elements = doc.GetElementCount();
    });
    const double floor = BestMs([&] {
        htmlDocPtr doc = htmlReadMemory(page.data(), int(page.size()), nullptr, "ISO-8859-1",
                                        HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
        xmlFreeDoc(doc);
    });
    const double mb = double(page.size()) / (1 << 20);
    std::printf("page %.1f MB, %d element ranges\n", mb, int(elements));
    std::printf("CHtmlDoc::Load (STR://)  %8.1f ms  %7.1f MB/s\n", ours, mb / (ours / 1000));
    std::printf("libxml2 htmlReadMemory   %8.1f ms  %7.1f MB/s\n", floor, mb / (floor / 1000));
    std::printf("ratio (ours / libxml2)   %8.2f\n", ours / floor);

    double worst = 0;
    for (const char* name : {"P", "FONT"})
    {
        double ms[2] = {};
        int32_t ranges[2] = {};
        for (int closed = 0; closed < 2; ++closed)
        {
            const std::string markup = "STR://" + RepeatTag(name, 1u << 20, closed != 0);
            ms[closed] = BestMs([&] {
                CHtmlDoc doc;
                std::string error;
                doc.Load(markup, &error, nullptr, 0, 0);
                ranges[closed] = doc.GetElementCount();
            });
        }
        std::printf("1 MB of <%s>x: open %8.1f ms (%d ranges), closed %8.1f ms (%d ranges)\n", name, ms[0],
                    int(ranges[0]), ms[1], int(ranges[1]));
        worst = std::max(worst, ms[0] / ms[1]);
    }
    std::printf("ratio hostile/plain: %.2f\n", worst);
    return 0;
}
