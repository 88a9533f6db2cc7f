// FRAME and FRAMESET: attributes, inner content as string documents, and the
// frameset's grid handed to the view as frame records.
#include <algorithm>

#include "HtmlAttr.h"
#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFrames.h"
#include "HtmlText.h"

void CTagFRAME::ReadFrameAttributes()
{
    m_address = GetAttr("SRC");
    m_frameName = GetAttr("NAME");
    if (m_frameName.empty())
        m_frameName = HtmlFrameAutoName();
    m_frameBorder = GetAttrInt("FRAMEBORDER", m_frameBorder);
    m_marginWidth = GetAttrInt("MARGINWIDTH", m_marginWidth);
    m_marginHeight = GetAttrInt("MARGINHEIGHT", m_marginHeight);
    m_scrollFlags = HtmlFrameScrollFlags(GetAttr("SCROLLING"), m_scrollFlags, HasAttr("SCROLLLEFT"),
                                         HasAttr("SCROLLTOP"));
    if (HasAttr("NORESIZE"))
        m_resizable = 0;
    if (HasAttr("NOBACKSYNC"))
        m_noBackSync = 1;
    static const char* const kColorNames[4] = {"BORDERCOLOR", "BORDERCOLORDARK", "BORDERCOLORLIGHT",
                                               "BORDERCOLORFOCUS"};
    for (int i = 0; i < 4; ++i)
        m_borderColors[i] = ParseColor(GetAttr(kColorNames[i]), m_borderColors[i]);
    static const char* const kNoBorder[4] = {"NOBORDERLEFT", "NOBORDERRIGHT", "NOBORDERTOP",
                                             "NOBORDERBOTTOM"};
    for (int i = 0; i < 4; ++i)
        m_borderFlags[i] = HasAttr(kNoBorder[i]) ? 0 : 1;
    static const char* const kCorners[4] = {"RNDBORDER_TL", "RNDBORDER_TR", "RNDBORDER_BL", "RNDBORDER_BR"};
    for (int i = 0; i < 4; ++i)
    {
        const std::string value = GetAttr(kCorners[i]);
        if (!value.empty())
        {
            m_roundedCorners[2 * i] = 1;
            m_roundedCorners[2 * i + 1] = int32_t(ParseColor(value, 0x02FFFFFF));
        }
    }
    if (HasAttr("TABGROUP"))
        m_tabGroup = 1;
}

int32_t CTagFRAME::ReadAttributes()
{
    ReadFrameAttributes();
    return 1;
}

int32_t CTagFRAME::Build()
{
    ReadAttributes();
    if (m_document != nullptr && m_address.empty() && m_content != nullptr)
    {
        // Only white space is normalised here: the string document decodes
        // references itself, once.
        const std::string inner = HtmlFrameSpaces(HtmlBlockToString(m_content, m_contentLength));
        if (!HtmlTrim(inner).empty())
            m_address = "STR://<HTML>" + inner + "</HTML>";
    }
    FreeContent();
    return 1;
}

void CTagFRAME::FillRecord(FrameRecord& record)
{
    record.element = this;
    record.nested = dynamic_cast<CTagFRAMESET*>(this) != nullptr ? 1 : 0;
    record.address = GetAddress();
    record.name = m_frameName;
    record.frameBorder = m_frameBorder;
    record.marginWidth = m_marginWidth;
    record.marginHeight = m_marginHeight;
    record.scrollFlags = m_scrollFlags;
    record.resizable = m_resizable;
    record.tabGroup = m_tabGroup;
    record.noBackSync = m_noBackSync;
    std::copy(std::begin(m_borderColors), std::end(m_borderColors), record.borderColors);
    std::copy(std::begin(m_borderFlags), std::end(m_borderFlags), record.borderFlags);
    std::copy(std::begin(m_roundedCorners), std::end(m_roundedCorners), record.roundedCorners);
}

CTagFRAMESET::CTagFRAMESET()
{
    m_frameBorder = 0;
    m_scrollFlags = 0;
    m_noBackSync = 0;
    m_resizable = 1;
}

CTagFRAMESET::~CTagFRAMESET()
{
    // The view drops its frames when the frameset that made them goes, and
    // only then: a new frameset replaces them itself.
    if (m_notified && m_document != nullptr)
        m_document->NotifyFramesetDone();
}

int32_t CTagFRAMESET::Build()
{
    if (m_document != nullptr && m_document->HasFrameset())
    {
        // A frameset inside a frameset: one frame whose string document holds it.
        const std::string inner = HtmlFrameSpaces(HtmlBlockToString(m_content, m_contentLength));
        m_nestedDocument =
            "STR://<BODY BGCOLOR=TRANSPARENT/><FRAMESET " + m_attributes + ">" + inner + "</FRAMESET>";
        m_nested = true;
        FreeContent();
        ReadFrameAttributes();
        return 1;
    }
    if (m_document != nullptr)
        m_document->MarkFrameset();
    return CTag::Build();
}

int32_t CTagFRAMESET::ReadAttributes()
{
    ReadFrameAttributes();
    if (m_nested)
        return 1;
    const std::vector<FrameSize> rows = HtmlParseFrameSizes(GetAttr("ROWS"));
    const std::vector<FrameSize> columns = HtmlParseFrameSizes(GetAttr("COLS"));
    std::vector<FrameRecord> records;
    size_t k = 0;
    for (const auto& child : m_children)
    {
        auto* frame = dynamic_cast<CTagFRAME*>(child.get());
        if (frame == nullptr)
            continue;
        const size_t row = k / columns.size();
        const size_t column = k % columns.size();
        ++k;
        if (row >= rows.size())
            continue;
        FrameRecord record;
        frame->FillRecord(record);
        record.row = int32_t(row);
        record.column = int32_t(column);
        record.rowSize = rows[row];
        record.columnSize = columns[column];
        records.push_back(record);
    }
    if (m_document != nullptr && !m_notified)
    {
        m_notified = true;
        m_document->NotifyFrameset(&records);
    }
    return 1;
}
