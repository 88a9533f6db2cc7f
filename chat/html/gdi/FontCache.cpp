#include "FontCache.h"

using namespace FdHtml;

namespace
{
// The process-wide lists live until exit; entries left then are dropped
// with them, their objects not deleted.
CCacheList<FontDesc, HFONT>::List* pSharedFonts()
{
    static CCacheList<FontDesc, HFONT>::List list;
    return &list;
}

CCacheList<COLORREF, HBRUSH>::List* pSharedBrushes()
{
    static CCacheList<COLORREF, HBRUSH>::List list;
    return &list;
}
} // namespace

CFontCache::CFontCache(bool boShared) : m_list(pSharedFonts(), boShared) {}

HFONT CFontCache::GetFont(const FontDesc& desc)
{
    return m_list.get(desc,
                      [](const FontDesc& d)
                      {
                          return CreateFontA(d.height, 0, 0, 0, d.weight, static_cast<DWORD>(d.italic),
                                             static_cast<DWORD>(d.underline), static_cast<DWORD>(d.strikeOut),
                                             0, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                             DEFAULT_PITCH, d.face.c_str());
                      });
}

void CFontCache::ReleaseFont(HFONT hFont)
{
    m_list.release(hFont, [](HFONT h) { DeleteObject(h); });
}

CBrushCache::CBrushCache(bool boShared) : m_list(pSharedBrushes(), boShared) {}

HBRUSH CBrushCache::GetBrush(COLORREF colour)
{
    return m_list.get(colour, [](COLORREF c) { return CreateSolidBrush(c); });
}

void CBrushCache::ReleaseBrush(HBRUSH hBrush)
{
    m_list.release(hBrush, [](HBRUSH h) { DeleteObject(h); });
}
