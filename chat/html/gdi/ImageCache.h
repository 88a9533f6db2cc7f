// Reference-counted cache of image sources by name (case-insensitive):
// "res://NAME" loads the "IMAGE" resource NAME of the module given, any
// other name the file of that name.
#pragma once

#include "CacheList.h"
#include "HtmlImageSource.h"

#include <string>

class CImageCache
{
public:
    explicit CImageCache(bool boShared = true);
    // The cached image, or a newly loaded one; 0 when it does not load (no
    // entry is left, so the next request tries again).
    CHtmlImageSource* GetImage(const std::string& name, HMODULE hModule);
    void ReleaseImage(CHtmlImageSource* pImage);
    // Every image's palette realised in the background; 1 when any changed
    // the device context.
    int RealizePalettes(HDC hdc, bool boBackground);
    // Painting is over: every image discards its saved backgrounds.
    void EndPaint();
    std::size_t entries() { return m_list.entries().size(); }

private:
    FdHtml::CCacheList<std::string, CHtmlImageSource*> m_list;
};
