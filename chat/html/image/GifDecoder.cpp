#include "GifDecoder.h"

#include <array>
#include <cstring>

namespace FdHtml
{
namespace
{
constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;
constexpr int kStackSize = 4096;
// A prefix chain never needs more steps than the table has entries; more
// means a crafted cycle, which ends the data.
constexpr int kMaxChainSteps = 4096;
constexpr uint16_t kNoCode = 0xFFFF;

constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControl = 0xF9;

class CByteReader
{
public:
    CByteReader(const uint8_t* p, std::size_t n) : m_p(p), m_n(n) {}
    bool boRead(uint8_t* dst, std::size_t count)
    {
        if (m_n - m_pos < count)
        {
            m_pos = m_n;
            return false;
        }
        std::memcpy(dst, m_p + m_pos, count);
        m_pos += count;
        return true;
    }
    bool boByte(uint8_t* b) { return boRead(b, 1); }
    bool boSkip(std::size_t count)
    {
        if (m_n - m_pos < count)
        {
            m_pos = m_n;
            return false;
        }
        m_pos += count;
        return true;
    }
    std::size_t pos() const { return m_pos; }

private:
    const uint8_t* m_p;
    std::size_t m_n;
    std::size_t m_pos = 0;
};

uint16_t wLe(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// What the walk over the blocks between images found.
enum class EBlocks
{
    Image,   // an image separator was read
    Trailer, // ";"
    End,     // the data ran out
    Stray,   // a byte that starts no block
};

// Skips sub-blocks up to and including the zero-size terminator. False when
// the data run out first.
bool boSkipSubBlocks(CByteReader& in)
{
    for (;;)
    {
        uint8_t size = 0;
        if (!in.boByte(&size))
            return false;
        if (size == 0)
            return true;
        if (!in.boSkip(size))
            return false;
    }
}

// Reads an extension after its introducer: the label, then its sub-blocks
// one by one; the first sub-block of a graphic control extension sets
// transparency and delay.
bool boReadExtension(CByteReader& in, SDecodedImage* pOut)
{
    uint8_t label = 0;
    uint8_t size = 0;
    if (!in.boByte(&label) || !in.boByte(&size))
        return false;
    if (size == 0)
        return true;
    uint8_t data[255];
    if (!in.boRead(data, size))
        return false;
    if (label == kGraphicControl && size >= 4)
    {
        if (data[0] & 1)
        {
            pOut->boTransparent = true;
            pOut->bTransparentIndex = data[3];
        }
        uint32_t ms = wLe(data + 1) * 10u;
        if (ms >= 1 && ms <= 49)
            ms = 50;
        pOut->dwDelayMs = ms;
    }
    return boSkipSubBlocks(in);
}

// Walks blocks until an image separator, a trailer, the end of data or,
// when boStrayEnds, a byte that starts no block. Before the first image,
// such bytes are passed over.
EBlocks walkBlocks(CByteReader& in, SDecodedImage* pOut, bool boStrayEnds)
{
    for (;;)
    {
        uint8_t b = 0;
        if (!in.boByte(&b))
            return EBlocks::End;
        if (b == kImageSeparator)
            return EBlocks::Image;
        if (b == kTrailer)
            return EBlocks::Trailer;
        if (b == kExtension)
        {
            if (!boReadExtension(in, pOut))
                return EBlocks::End;
            continue;
        }
        if (boStrayEnds)
            return EBlocks::Stray;
    }
}

// LZW codes of one image, read from its sub-blocks, expanded into pixels.
class CLzwReader
{
public:
    CLzwReader(CByteReader& in, int minCodeSize) : m_in(in)
    {
        if (minCodeSize < 1 || minCodeSize >= kMaxCodeBits)
        {
            m_boEnded = true;
            m_minSize = 1;
        }
        else
            m_minSize = minCodeSize;
        m_clear = 1 << m_minSize;
        m_end = m_clear + 1;
        m_width = m_minSize + 1;
        m_next = m_end + 1;
        for (int i = 0; i < kTableSize; ++i)
        {
            m_prefix[i] = kNoCode;
            m_suffix[i] = static_cast<uint8_t>(i);
        }
    }

    bool boEnded() const { return m_boEnded; }

    // The next pixel; 0 once the data have ended.
    uint8_t bPixel()
    {
        if (m_sp == 0)
            vFill();
        if (m_sp == 0)
            return 0;
        return m_stack[--m_sp];
    }

    // Passes over what is left of the image data: the rest of the current
    // sub-block and every following one up to the terminator.
    void vSkipRest()
    {
        if (m_boDataOver)
            return;
        if (!m_in.boSkip(m_blockLeft))
            return;
        m_blockLeft = 0;
        boSkipSubBlocks(m_in);
        m_boDataOver = true;
    }

private:
    void vPush(uint8_t b)
    {
        if (m_sp < kStackSize)
            m_stack[m_sp++] = b;
    }

    // Pushes the string of a code, last byte first, and answers its first
    // byte; a chain longer than the table ends the data.
    uint8_t bPushString(int code)
    {
        int steps = 0;
        while (m_prefix[code] != kNoCode)
        {
            if (++steps > kMaxChainSteps)
            {
                m_boEnded = true;
                return 0;
            }
            vPush(m_suffix[code]);
            code = m_prefix[code];
        }
        vPush(m_suffix[code]);
        return m_suffix[code];
    }

    bool boByte(uint8_t* b)
    {
        if (m_boDataOver)
            return false;
        if (m_blockLeft == 0)
        {
            uint8_t size = 0;
            if (!m_in.boByte(&size) || size == 0)
            {
                m_boDataOver = true;
                return false;
            }
            m_blockLeft = size;
        }
        if (!m_in.boByte(b))
        {
            m_boDataOver = true;
            return false;
        }
        --m_blockLeft;
        return true;
    }

    bool boCode(int* code)
    {
        while (m_bits < m_width)
        {
            uint8_t b = 0;
            if (!boByte(&b))
                return false;
            m_acc |= static_cast<uint32_t>(b) << m_bits;
            m_bits += 8;
        }
        *code = static_cast<int>(m_acc & ((1u << m_width) - 1));
        m_acc >>= m_width;
        m_bits -= m_width;
        return true;
    }

    void vFill()
    {
        while (m_sp == 0 && !m_boEnded)
        {
            int code = 0;
            if (!boCode(&code) || code == m_end)
            {
                m_boEnded = true;
                return;
            }
            if (code == m_clear)
            {
                m_width = m_minSize + 1;
                m_next = m_end + 1;
                m_prev = -1;
                continue;
            }
            if (m_prev < 0)
            {
                bPushString(code);
                if (m_boEnded)
                    m_sp = 0;
                m_prev = code;
                continue;
            }
            uint8_t first = 0;
            if (code < m_next)
                first = bPushString(code);
            else
            {
                // The previous string followed by its own first byte: the
                // placeholder below it gets that byte once it is known.
                const int placeholder = m_sp;
                vPush(0);
                first = bPushString(m_prev);
                if (placeholder < kStackSize)
                    m_stack[placeholder] = first;
            }
            if (m_boEnded)
            {
                m_sp = 0;
                return;
            }
            if (m_next < kTableSize)
            {
                m_prefix[m_next] = static_cast<uint16_t>(m_prev);
                m_suffix[m_next] = first;
                if (m_next == (1 << m_width) - 1 && m_width < kMaxCodeBits)
                    ++m_width;
                ++m_next;
            }
            m_prev = code;
        }
    }

    CByteReader& m_in;
    int m_minSize = 0;
    int m_clear = 0;
    int m_end = 0;
    int m_width = 0;
    int m_next = 0;
    int m_prev = -1;
    uint32_t m_acc = 0;
    int m_bits = 0;
    int m_blockLeft = 0;
    bool m_boDataOver = false; // no more bytes of this image's data
    bool m_boEnded = false;    // no more pixels
    std::array<uint16_t, kTableSize> m_prefix;
    std::array<uint8_t, kTableSize> m_suffix;
    std::array<uint8_t, kStackSize> m_stack;
    int m_sp = 0;
};

// Fills one frame row by row (four passes when interlaced). When the data
// end, the current pixel is still written and the rest stays 0.
void vDecodeFrame(CLzwReader& lzw, bool boInterlaced, uint32_t width, uint32_t height, uint8_t* frame)
{
    static const uint32_t kStart[4] = {0, 4, 2, 1};
    static const uint32_t kStep[4] = {8, 8, 4, 2};
    const int passes = boInterlaced ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass)
    {
        const uint32_t start = boInterlaced ? kStart[pass] : 0;
        const uint32_t step = boInterlaced ? kStep[pass] : 1;
        for (uint32_t row = start; row < height; row += step)
        {
            uint8_t* dst = frame + static_cast<std::size_t>(row) * width;
            for (uint32_t x = 0; x < width; ++x)
            {
                dst[x] = lzw.bPixel();
                if (lzw.boEnded())
                    return;
            }
        }
    }
}

bool boReadColourTable(CByteReader& in, int exponent, std::vector<SRgb>* pTable)
{
    const std::size_t count = std::size_t{1} << (exponent + 1);
    uint8_t raw[256 * 3];
    if (!in.boRead(raw, count * 3))
        return false;
    pTable->resize(count);
    for (std::size_t i = 0; i < count; ++i)
        (*pTable)[i] = SRgb{raw[3 * i], raw[3 * i + 1], raw[3 * i + 2]};
    return true;
}
} // namespace

bool boIsGifSignature(const uint8_t* p, std::size_t n)
{
    if (n < 6)
        return false;
    if (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0)
        return true;
    unsigned sum = 0;
    for (int i = 0; i < 6; ++i)
        sum += p[i];
    return sum == 424;
}

SImageResult gifDecode(const uint8_t* p, std::size_t n, SDecodedImage* pOut)
{
    *pOut = SDecodedImage();
    SDecodedImage img;
    if (!boIsGifSignature(p, n))
        return imageFailure(EImageStatus::NotThisKind, 0, "no GIF signature");
    CByteReader in(p, n);
    in.boSkip(6);
    uint8_t screen[7];
    if (!in.boRead(screen, sizeof screen))
        return imageFailure(EImageStatus::ShortHeader, in.pos(), "short screen descriptor");
    if (screen[6] != 0)
        return imageFailure(EImageStatus::BadHeader, 12, "non-zero pixel aspect");
    img.rect.width = wLe(screen);
    img.rect.height = wLe(screen + 2);
    std::vector<SRgb> global;
    if ((screen[4] & 0x80) && !boReadColourTable(in, screen[4] & 7, &global))
        return imageFailure(EImageStatus::ShortHeader, in.pos(), "short global colour table");

    EBlocks next = walkBlocks(in, &img, false);
    if (next != EBlocks::Image)
        return imageFailure(EImageStatus::NoImage, in.pos(), "no image");

    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t total = 0;
    while (next == EBlocks::Image && img.frames.size() < kMaxImageFrames)
    {
        uint8_t desc[9];
        if (!in.boRead(desc, sizeof desc))
            return imageFailure(EImageStatus::ShortHeader, in.pos(), "short image descriptor");
        const bool first = img.frames.empty();
        if (first)
        {
            img.rect.left = wLe(desc);
            img.rect.top = wLe(desc + 2);
            img.rect.width = wLe(desc + 4);
            img.rect.height = wLe(desc + 6);
            width = static_cast<uint32_t>(img.rect.width);
            height = static_cast<uint32_t>(img.rect.height);
        }
        std::vector<SRgb> local;
        if ((desc[8] & 0x80) && !boReadColourTable(in, desc[8] & 7, &local))
            return imageFailure(EImageStatus::ShortHeader, in.pos(), "short local colour table");
        if (first)
            img.palette = (desc[8] & 0x80) ? local : global;

        const uint64_t pixels = uint64_t{width} * height;
        total += pixels;
        if (pixels > kMaxFramePixels || total > kMaxImagePixels)
            return imageFailure(EImageStatus::TooLarge, in.pos(), "image over the pixel budget");
        img.frames.emplace_back(static_cast<std::size_t>(pixels), uint8_t{0});

        uint8_t minCodeSize = 0;
        if (!in.boByte(&minCodeSize))
            break; // the frame stays 0: the data ended
        CLzwReader lzw(in, minCodeSize);
        vDecodeFrame(lzw, (desc[8] & 0x40) != 0, width, height, img.frames.back().data());
        lzw.vSkipRest();
        next = walkBlocks(in, &img, true);
    }
    *pOut = std::move(img);
    return SImageResult();
}
} // namespace FdHtml
