// Loads a page from STR text with a scripted handler that expands the
// HTML-built scroll bar's tags and keeps, deletes and replaces the others,
// builds the tree and reads it back, then lays it out, measures and paints
// it with fixed font metrics.
// Input: a byte of flags, 15 bytes of script (one answer per offered tag,
// used in turn), then the page. With flag 0x10 every '`' of the page becomes
// one of the extreme numbers in turn, so that attributes reach them easily.
// Small pages also check the end-tag index against the plain search.
#include <cstddef>
#include <cstdint>
#include <string>

#include "HtmlAttr.h"
#include "HtmlDoc.h"
#include "HtmlFakeDC.h"
#include "HtmlFrames.h"
#include "HtmlScan.h"
#include "HtmlScrollBarText.h"
#include "HtmlText.h"
#include "HtmlTreeDump.h"
#include "HtmlWndEvents.h"

namespace
{
class ScriptedHandler : public CHtmlWndEventsBase
{
public:
    ScriptedHandler(const uint8_t* script, size_t size) : m_script(script), m_size(size) {}

    int32_t OnTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                  std::string frame, CHtmlObject* sender) override
    {
        // The scroll bar's families expand; other tags get the script's answer.
        const int32_t expanded = m_bars.OnTag(name, attributes, content, length, frame, sender);
        return expanded >= 0 ? expanded : Answer(name, attributes, content, length);
    }
    int32_t OnHandlerTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                         std::string, CHtmlObject*) override
    {
        return Answer(name, attributes, content, length);
    }
    void OnLeaveView(std::string* kind, std::string*, std::string, CHtmlObject*) override { *kind = "STR"; }
    // A frameset's records laid out as a view would, a border looked up and
    // dragged, and the nested documents loaded one level down.
    void OnFramesetCreated(const std::vector<FrameRecord>* frames, CHtmlObject*) override
    {
        std::vector<FrameRecord> records = *frames;
        for (int32_t size : {0, 1, 400})
        {
            const std::vector<FramePlacement> placed = HtmlLayoutFrames(records, size, size);
            for (const FramePlacement& p : placed)
                HtmlFrameBorderWidth(records.empty() ? 0 : records[0].frameBorder, p.cell);
            const FrameBorderHit hit = HtmlFrameBorderAt(records, placed, size / 3, size / 2);
            if (hit.Any())
                HtmlResizeFrames(records, placed, hit.column < 0, hit.column < 0 ? hit.row : hit.column,
                                 size / 2);
        }
        if (m_depth > 0)
            return;
        for (const FrameRecord& r : records)
        {
            if (r.address.rfind("STR://", 0) != 0)
                continue;
            ScriptedHandler nested(m_script, m_size);
            nested.m_depth = m_depth + 1;
            CHtmlDoc doc;
            std::string error;
            doc.Load(r.address, &error, &nested, 1, 0);
        }
    }

private:
    int32_t Answer(const std::string& name, const std::string& attributes, HtmlMemBlock* content,
                   int32_t length)
    {
        const uint8_t step = m_size == 0 ? 0 : m_script[m_next++ % m_size];
        const std::string inner = HtmlBlockToString(*content, uint32_t(length));
        switch (step % 9)
        {
        case 0:
        case 1:
            return -1; // kept
        case 2:
            return 0; // deleted
        case 3:
            return HtmlStringToBlock("<B>" + inner + "</B>", content, 0);
        case 4:
            return HtmlStringToBlock("<" + name + " " + attributes + ">", content, 0); // itself again
        case 5:
            return HtmlStringToBlock(GetAttrValue("NAME", attributes, "x") + "<I>r</I>&eacute;", content, 0);
        case 6:
            return 0x7FFFFFFF; // more than the block holds
        case 7:
            return -int32_t(step); // a negative count
        default:
            return HtmlStringToBlock(inner, content, 0);
        }
    }

    CHtmlScrollBarTags m_bars;
    const uint8_t* m_script;
    size_t m_size;
    size_t m_next = 0;
    int m_depth = 0;
};

std::string WithExtremes(const std::string& page)
{
    static const char* const kExtremes[] = {"2147483647",  "-2147483648", "99999999999", "+2147483647",
                                            "2147483647%", "-99999999999%", "*1e308",    "100001"};
    std::string out;
    size_t next = 0;
    for (char c : page)
        if (c == '`')
            out += kExtremes[next++ % (sizeof kExtremes / sizeof kExtremes[0])];
        else
            out += c;
    return out;
}

void CheckEndTagIndex(const std::string& text)
{
    const char* p = text.data();
    const uint32_t size = uint32_t(text.size());
    HtmlEndTagIndex index;
    for (uint32_t at = 0; at < size; ++at)
    {
        const HtmlTagInfo start = HtmlNextTag(p, size, at, false);
        if (!start.found || start.position != at)
            continue;
        const uint32_t after = start.position + start.length;
        const HtmlTagInfo got = index.Find(p, size, after, start.name);
        const HtmlTagInfo want = HtmlFindEndTag(p, size, after, start.name);
        if (got.found != want.found || got.position != want.position || got.length != want.length)
            __builtin_trap();
    }
}

void Walk(const CTag::List& elements, CHtmlDoc& doc)
{
    for (const auto& element : elements)
    {
        ParseColor(element->GetAttr("COLOR"), 0);
        element->GetAttrInt("WIDTH", -1);
        doc.ResolveAddress(element->GetAttr("SRC"), false);
        Walk(element->GetChildren(), doc);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr size_t kHeader = 16;
    if (size < kHeader)
        return 0;
    const uint8_t flags = data[0];
    ScriptedHandler handler(data + 1, kHeader - 1);
    FdHtmlTest::FakeHost resources;
    resources.AddImage("a.gif", 20, 10);
    CHtmlDoc doc(nullptr, &resources);
    doc.SetHandOverGrowthLimit(64 * 1024);
    doc.SetBasePath("FILE://C:/pages/");
    std::string page(reinterpret_cast<const char*>(data + kHeader), size - kHeader);
    if (flags & 0x10)
        page = WithExtremes(page);
    if (page.size() <= 4096)
        CheckEndTagIndex(page);
    const std::string address = (flags & 4) ? "zz://" + page : "STR://" + page;
    std::string error;
    doc.Load(address, &error, &handler, (flags & 1) ? 0 : 1, (flags & 2) ? 1 : 0);
    HtmlDumpTree(doc);
    Walk(doc.GetElements(), doc);
    HtmlEncodeEntities(HtmlDecodeEntities(page));
    FdHtmlTest::FakeDC dc;
    const int32_t width = (flags & 8) ? 40 : 400;
    doc.Layout(&dc, LayoutRect(0, 0, width, 300));
    const int32_t height = doc.MeasureHeight(&dc, LayoutRect(0, 0, width, 300));
    if (height > 300 && height < 0x7FFF0000)
        doc.Layout(&dc, LayoutRect(0, height - 300, width, height));
    doc.Reset();
    return 0;
}
