// IMG and RESIMG in their rest state: the image in the text flow.
#include <algorithm>

#include "HtmlDC.h"
#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFlow.h"
#include "HtmlText.h"

CTagIMG::~CTagIMG()
{
    if (m_document == nullptr)
        return;
    for (CHtmlImageSource*& image : m_images)
    {
        m_document->ReleaseImage(image);
        image = nullptr;
    }
}

int32_t CTagIMG::ReadAttributes()
{
    static const char* const kSources[5] = {"SRC", "SRCMFOCUS", "SRCDOWN", "SRCKBUFOCUS", "SRCKBDFOCUS"};
    if (m_document != nullptr)
        for (int i = 0; i < 5; ++i)
        {
            const std::string source = GetAttr(kSources[i]);
            if (!source.empty() && m_images[i] == nullptr)
                m_images[i] = m_document->GetImage(m_document->ImageAddress(source));
        }
    const std::string width = HtmlTrim(GetAttr("WIDTH"));
    m_widthPixels = 0;
    m_widthPercent = 0;
    if (width.find('%') != std::string::npos)
        m_widthPercent = HtmlAtoi(width);
    else
        m_widthPixels = HtmlAtoi(width);
    m_heightPixels = HtmlAtoi(GetAttr("HEIGHT"));
    m_checkButton = HasAttr("CHECKBUTTON");
    m_name = GetAttr("NAME");
    const std::string vspace = GetAttr("VSPACE");
    m_vspace = vspace.empty() ? 0 : HtmlAtoi(vspace);
    const std::string hspace = GetAttr("HSPACE");
    m_hspace = hspace.empty() ? 4 : HtmlAtoi(hspace);
    if (m_checkButton && HasAttr("CHECKED"))
        m_checked = m_pressed = 1;
    return 1;
}

void CTagIMG::Place(CHtmlDC*, CHtmlFlow* flow)
{
    int32_t naturalWidth = 0;
    int32_t naturalHeight = 0;
    if (m_document != nullptr)
        m_document->GetImageSize(m_images[0], &naturalWidth, &naturalHeight);
    if (m_widthPercent > 0)
        m_widthPixels = int32_t(int64_t(flow->GetContent().Width()) * m_widthPercent / 100);
    m_width = m_widthPixels > 0 ? m_widthPixels : naturalWidth;
    m_height = m_heightPixels > 0 ? m_heightPixels : naturalHeight;
    const int32_t needed = m_width + 2 * m_hspace;
    LayoutRect area;
    if (!flow->GetFreeArea(area))
    {
        m_placeIncomplete = 1;
        return;
    }
    if (area.Width() < needed && !flow->IsFullWidth(area))
    {
        // Not enough room left on the line: the next one is tried.
        flow->NewLine(true);
        if (!flow->GetFreeArea(area))
        {
            m_placeIncomplete = 1;
            return;
        }
    }
    const LayoutRect box(area.left, area.top, area.left + needed, area.top + m_height + 2 * m_vspace);
    m_pieces.push_back(flow->CreatePiece(this, box, nullptr, 0, 0, 0, 1, nullptr, true));
}

void CTagIMG::Arrange(CHtmlDC* dc, CHtmlFlow* flow)
{
    CHtmlImageSource* image = m_pressed && m_images[2] != nullptr ? m_images[2] : m_images[0];
    if (image == nullptr)
        return;
    for (const HtmlPiece* piece : m_pieces)
    {
        LayoutRect window;
        if (!flow->ToWindow(piece->box, window))
            continue;
        dc->DrawImage(image, 0, window.left + m_hspace, window.top + m_vspace, m_width, m_height,
                      m_widthPixels > 0 || m_heightPixels > 0);
    }
}
