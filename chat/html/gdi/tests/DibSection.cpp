#include "DibSection.h"

#include <fstream>

namespace FdHtmlTest
{
CDibTarget::CDibTarget(int width, int height, int bits, const std::vector<FdHtml::SRgb>& colours)
    : m_width(width), m_height(height), m_bits(bits)
{
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFO* pInfo = reinterpret_cast<BITMAPINFO*>(info.data());
    pInfo->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    pInfo->bmiHeader.biWidth = width;
    pInfo->bmiHeader.biHeight = -height;
    pInfo->bmiHeader.biPlanes = 1;
    pInfo->bmiHeader.biBitCount = static_cast<WORD>(bits);
    pInfo->bmiHeader.biCompression = BI_RGB;
    if (bits == 8)
    {
        m_table.assign(256, RGBQUAD{0, 0, 0, 0});
        // Unused entries a grey far from any test colour, so that nearest
        // colours land on the real ones.
        for (int i = 1; i < 255; ++i)
            m_table[i] = RGBQUAD{1, 2, 3, 0};
        m_table[255] = RGBQUAD{255, 255, 255, 0};
        for (std::size_t i = 0; i < colours.size() && i < 254; ++i)
            m_table[i + 1] = RGBQUAD{colours[i].b, colours[i].g, colours[i].r, 0};
        pInfo->bmiHeader.biClrUsed = 256;
        for (int i = 0; i < 256; ++i)
            pInfo->bmiColors[i] = m_table[i];
    }
    m_hdc = CreateCompatibleDC(nullptr);
    void* pBits = nullptr;
    m_hbm = CreateDIBSection(m_hdc, pInfo, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (m_hdc && m_hbm)
    {
        m_old = SelectObject(m_hdc, m_hbm);
        m_pBits = static_cast<uint8_t*>(pBits);
    }
}

CDibTarget::~CDibTarget()
{
    if (m_old)
        SelectObject(m_hdc, m_old);
    if (m_hbm)
        DeleteObject(m_hbm);
    if (m_hdc)
        DeleteDC(m_hdc);
}

void CDibTarget::vFill(COLORREF colour, const RECT& rc)
{
    HBRUSH hbr = CreateSolidBrush(colour);
    FillRect(m_hdc, &rc, hbr);
    DeleteObject(hbr);
}

uint32_t CDibTarget::dwPixel(int x, int y) const
{
    GdiFlush();
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || !m_pBits)
        return 0xFFFFFFFF;
    if (m_bits == 32)
    {
        const uint8_t* p = m_pBits + (static_cast<std::size_t>(y) * m_width + x) * 4;
        return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
    const std::size_t stride = (static_cast<std::size_t>(m_width) + 3) & ~std::size_t{3};
    const RGBQUAD q = m_table[m_pBits[static_cast<std::size_t>(y) * stride + x]];
    return (uint32_t{q.rgbRed} << 16) | (uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
}

bool CDibTarget::boSave(const std::string& name) const
{
    const std::size_t stride = (static_cast<std::size_t>(m_width) * 3 + 3) & ~std::size_t{3};
    const uint32_t imageSize = static_cast<uint32_t>(stride * m_height);
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + imageSize;
    ih.biSize = sizeof ih;
    ih.biWidth = m_width;
    ih.biHeight = m_height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = imageSize;
    std::vector<uint8_t> rows(imageSize, 0);
    for (int y = 0; y < m_height; ++y)
    {
        uint8_t* row = rows.data() + static_cast<std::size_t>(m_height - 1 - y) * stride;
        for (int x = 0; x < m_width; ++x)
        {
            const uint32_t p = dwPixel(x, y);
            row[3 * x] = static_cast<uint8_t>(p);
            row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(p >> 16);
        }
    }
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.write(reinterpret_cast<const char*>(&ih), sizeof ih);
    out.write(reinterpret_cast<const char*>(rows.data()), static_cast<std::streamsize>(rows.size()));
    return static_cast<bool>(out);
}
std::string strArtefact(const std::string& name)
{
    const char* folder = std::getenv("FD_HTML_ARTEFACTS");
    return folder != nullptr ? std::string(folder) + "/" + name : name;
}

std::string strSourceFile(const std::string& relative)
{
    const char* source = std::getenv("FD_SOURCE_DIR");
    std::string path = std::string("Z:") + (source != nullptr ? source : "") + "/" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

} // namespace FdHtmlTest
