#include "ImageCache.h"

using namespace FdHtml;

namespace
{
CCacheList<std::string, CHtmlImageSource*>::List* pSharedImages()
{
    static CCacheList<std::string, CHtmlImageSource*>::List list;
    return &list;
}
} // namespace

CImageCache::CImageCache(bool boShared) : m_list(pSharedImages(), boShared) {}

CHtmlImageSource* CImageCache::GetImage(const std::string& name, HMODULE hModule)
{
    return m_list.get(strImageKey(name),
                      [hModule](const std::string& key) -> CHtmlImageSource*
                      {
                          CHtmlImageSource* pImage = new CHtmlImageSource;
                          std::string resName;
                          const BOOL boLoaded = boIsResourceName(key, &resName)
                                                    ? pImage->boLoadFromResource(resName, hModule)
                                                    : pImage->boLoadFromFile(key);
                          if (boLoaded)
                              return pImage;
                          delete pImage;
                          return nullptr;
                      });
}

void CImageCache::ReleaseImage(CHtmlImageSource* pImage)
{
    m_list.release(pImage, [](CHtmlImageSource* p) { delete p; });
}

int CImageCache::RealizePalettes(HDC hdc, bool boBackground)
{
    int changed = 0;
    for (auto& e : m_list.entries())
    {
        if (e.object->iRealizePalette(hdc, boBackground) > 0)
            changed = 1;
    }
    return changed;
}

void CImageCache::EndPaint()
{
    for (auto& e : m_list.entries())
        e.object->vEndPaint();
}
