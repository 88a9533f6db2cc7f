// Reference-counted caches of fonts and solid brushes: the same description
// or colour gives the same GDI object until its last release.
#pragma once

#include "CacheList.h"
#include "FontDesc.h"

class CFontCache
{
public:
    // Shared (the way documents make them): the process-wide list;
    // otherwise a private list of the cache's own.
    explicit CFontCache(bool boShared = true);
    HFONT GetFont(const FontDesc& desc);
    void ReleaseFont(HFONT hFont);
    std::size_t entries() { return m_list.entries().size(); }

private:
    FdHtml::CCacheList<FontDesc, HFONT> m_list;
};

class CBrushCache
{
public:
    explicit CBrushCache(bool boShared = true);
    HBRUSH GetBrush(COLORREF colour);
    void ReleaseBrush(HBRUSH hBrush);
    std::size_t entries() { return m_list.entries().size(); }

private:
    FdHtml::CCacheList<COLORREF, HBRUSH> m_list;
};
