#include "BmpDecoder.h"
#include "BmpKinds.h"
#include "ImageFixtures.h"

#include <gtest/gtest.h>

using namespace FdHtml;
using namespace FdHtmlTest;

namespace
{
using Bytes = std::vector<uint8_t>;

void put(Bytes& b, std::size_t at, uint32_t v, int n)
{
    for (int i = 0; i < n; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct SBmpSpec
{
    int32_t width = 3;
    int32_t height = 2;
    uint16_t bits = 8;
    uint32_t headerSize = 40;
    uint32_t compression = 0;
    uint32_t used = 0;         // header's used-colours value
    uint32_t tableEntries = 4; // entries written to the file
    bool boZeroOffset = false; // pixel-data offset 0: rows follow the table
    std::size_t cut = 0;       // bytes removed from the end
};

// A file with table entry i = (i, 2i, 3i) and pixel byte k of the rows = k.
Bytes makeBmp(const SBmpSpec& s)
{
    const uint64_t stride = qwBmpStride(static_cast<uint32_t>(std::max(s.width, 0)), s.bits);
    const std::size_t rows = static_cast<std::size_t>(stride * static_cast<uint32_t>(std::max(s.height, 0)));
    const std::size_t table = s.tableEntries * 4;
    const std::size_t offset = 14 + s.headerSize + table;
    Bytes b(std::max(offset + rows, std::size_t{14 + 40}), 0); // room for the fields of short headers too
    b[0] = 'B';
    b[1] = 'M';
    put(b, 2, static_cast<uint32_t>(b.size()), 4);
    put(b, 10, s.boZeroOffset ? 0 : static_cast<uint32_t>(offset), 4);
    put(b, 14, s.headerSize, 4);
    put(b, 18, static_cast<uint32_t>(s.width), 4);
    put(b, 22, static_cast<uint32_t>(s.height), 4);
    put(b, 26, 1, 2);
    put(b, 28, s.bits, 2);
    put(b, 30, s.compression, 4);
    put(b, 46, s.used, 4);
    for (std::size_t i = 0; i < s.tableEntries; ++i)
    {
        b[14 + s.headerSize + 4 * i] = static_cast<uint8_t>(3 * i);     // blue
        b[14 + s.headerSize + 4 * i + 1] = static_cast<uint8_t>(2 * i); // green
        b[14 + s.headerSize + 4 * i + 2] = static_cast<uint8_t>(i);     // red
    }
    for (std::size_t k = 0; k < rows; ++k)
        b[offset + k] = static_cast<uint8_t>(k);
    b.resize(b.size() - std::min(s.cut, b.size()));
    return b;
}

// Top-down rows of palette indices (or RGB triples for 24 bits) from the
// decoded bitmap, as Pillow gives them.
Bytes topDown(const SDecodedImage& img)
{
    const Bytes& dib = img.frames.at(0);
    const uint32_t bits = dib[14] | (dib[15] << 8);
    const uint32_t colours = dib[32] | (dib[33] << 8);
    const uint32_t w = static_cast<uint32_t>(img.rect.width);
    const uint32_t h = static_cast<uint32_t>(img.rect.height);
    const std::size_t stride = static_cast<std::size_t>(qwBmpStride(w, bits));
    const uint8_t* pixels = dib.data() + kBmpInfoHeaderSize + colours * 4;
    Bytes out;
    for (uint32_t y = 0; y < h; ++y)
    {
        const uint8_t* row = pixels + (h - 1 - y) * stride;
        for (uint32_t x = 0; x < w; ++x)
        {
            if (bits == 24)
                out.insert(out.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            else
            {
                const uint32_t bit = x * bits;
                const uint32_t shift = 8 - bits - (bit % 8);
                out.push_back(static_cast<uint8_t>((row[bit / 8] >> shift) & ((1u << bits) - 1)));
            }
        }
    }
    return out;
}
} // namespace

TEST(BmpFixtures, PixelsEqualPillowsReading)
{
    int bmps = 0;
    for (const SFixture& f : fixtures())
    {
        if (f.name.size() < 4 || f.name.substr(f.name.size() - 4) != ".bmp")
            continue;
        ++bmps;
        SCOPED_TRACE(f.name);
        const Bytes file = readFile(strFixturePath(f.name));
        SDecodedImage img;
        const SImageResult r = bmpDecode(file.data(), file.size(), &img);
        ASSERT_TRUE(r.boOk()) << r.text;
        EXPECT_TRUE(img.boWholeDib);
        EXPECT_EQ(img.rect.width, f.width);
        EXPECT_EQ(img.rect.height, f.height);
        EXPECT_EQ(static_cast<int>(img.palette.size()), f.colours);
        EXPECT_FALSE(img.boTransparent);
        EXPECT_EQ(topDown(img), readFile(strFixturePath(f.name + ".idx")));
    }
    EXPECT_EQ(bmps, 4);
}

TEST(BmpHeader, ColourCountsAndLayout)
{
    const struct
    {
        const char* what;
        SBmpSpec spec;
        uint32_t colours;
    } cases[] = {
        {"8 bits, used 0: 256 colours", {3, 2, 8, 40, 0, 0, 256}, 256},
        {"8 bits, used 4", {3, 2, 8, 40, 0, 4, 4}, 4},
        {"4 bits, used 0", {5, 1, 4, 40, 0, 0, 16}, 16},
        {"1 bit", {9, 3, 1, 40, 0, 0, 2}, 2},
        {"24 bits: no table", {2, 2, 24, 40, 0, 0, 0}, 0},
        {"pixel offset 0: rows after the table", {3, 2, 8, 40, 0, 4, 4, true}, 4},
        {"header of 108 bytes: table after it", {3, 2, 8, 108, 0, 4, 4}, 4},
        {"header of 124 bytes, offset 0", {3, 2, 8, 124, 0, 2, 2, true}, 2},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const Bytes file = makeBmp(c.spec);
        SDecodedImage img;
        const SImageResult r = bmpDecode(file.data(), file.size(), &img);
        ASSERT_TRUE(r.boOk()) << r.text;
        ASSERT_EQ(img.frames.size(), 1u);
        const Bytes& dib = img.frames[0];
        const uint64_t rows = qwBmpStride(static_cast<uint32_t>(c.spec.width), c.spec.bits) * c.spec.height;
        ASSERT_EQ(dib.size(), kBmpInfoHeaderSize + c.colours * 4 + rows);
        EXPECT_EQ(dib[0], kBmpInfoHeaderSize); // written back as a plain info header
        EXPECT_EQ(dib[32] | (dib[33] << 8), static_cast<int>(c.colours));
        EXPECT_EQ(img.palette.size(), std::min<uint32_t>(c.colours, 256));
        if (c.colours > 2)
        {
            EXPECT_EQ(img.palette[2].r, 2);
            EXPECT_EQ(img.palette[2].g, 4);
            EXPECT_EQ(img.palette[2].b, 6);
        }
        // The pixel rows as the file stores them: byte k is k.
        for (uint64_t k = 0; k < rows; ++k)
            ASSERT_EQ(dib[kBmpInfoHeaderSize + c.colours * 4 + k], static_cast<uint8_t>(k)) << k;
    }
}

TEST(BmpHeader, RefusedHeaders)
{
    const struct
    {
        const char* what;
        SBmpSpec spec;
        EImageStatus status;
    } cases[] = {
        {"core header", {3, 2, 8, 12, 0, 0, 0}, EImageStatus::BadHeader},
        {"header of 20 bytes", {3, 2, 8, 20, 0, 0, 0}, EImageStatus::BadHeader},
        {"0 bits", {3, 2, 0, 40, 0, 0, 0}, EImageStatus::BadHeader},
        {"2 bits", {3, 2, 2, 40, 0, 0, 4}, EImageStatus::BadHeader},
        {"RLE8 of 4 bits", {3, 2, 4, 40, 1, 0, 16}, EImageStatus::BadHeader},
        {"RLE4 of 8 bits", {3, 2, 8, 40, 2, 0, 256}, EImageStatus::BadHeader},
        {"bit fields of 24 bits", {3, 2, 24, 40, 3, 0, 3}, EImageStatus::BadHeader},
        {"bit fields of 8 bits", {3, 2, 8, 40, 3, 0, 256}, EImageStatus::BadHeader},
        {"JPEG inside", {3, 2, 24, 40, 4, 0, 0}, EImageStatus::BadHeader},
        {"PNG inside", {3, 2, 24, 40, 5, 0, 0}, EImageStatus::BadHeader},
        {"top-down RLE8", {3, -2, 8, 40, 1, 0, 256}, EImageStatus::BadHeader},
        {"width 0", {0, 2, 8, 40, 0, 0, 256}, EImageStatus::BadHeader},
        {"height 0", {3, 0, 8, 40, 0, 0, 256}, EImageStatus::BadHeader},
        {"height -2^31", {3, INT32_MIN, 8, 40, 0, 0, 256}, EImageStatus::BadHeader},
        {"negative width", {-3, 2, 8, 40, 0, 0, 256}, EImageStatus::BadHeader},
        {"bit fields: masks cut short", {1, 1, 16, 40, 3, 0, 0}, EImageStatus::ShortHeader},
        {"300 colours for 8 bits", {3, 2, 8, 40, 0, 300, 300}, EImageStatus::BadHeader},
        {"3 colours for 1 bit", {3, 2, 1, 40, 0, 3, 3}, EImageStatus::BadHeader},
        {"table cut short", {3, 2, 8, 40, 0, 0, 100}, EImageStatus::ShortHeader},
        {"rows cut by one byte", {3, 2, 8, 40, 0, 4, 4, false, 1}, EImageStatus::ShortHeader},
        {"oversized: 65536 x 65536 claimed", {65536, 65536, 1, 40, 0, 0, 0}, EImageStatus::TooLarge},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        SBmpSpec spec = c.spec;
        Bytes file;
        if (spec.width > 4096 || spec.height > 4096 || spec.height < -4096)
        {
            // Only the headers: the claimed rows are not in the file.
            const int32_t w = spec.width, h = spec.height;
            spec.width = spec.height = 1;
            file = makeBmp(spec);
            put(file, 18, static_cast<uint32_t>(w), 4);
            put(file, 22, static_cast<uint32_t>(h), 4);
        }
        else
            file = makeBmp(spec);
        SDecodedImage img;
        img.frames.resize(2);
        const SImageResult r = bmpDecode(file.data(), file.size(), &img);
        EXPECT_EQ(r.status, c.status) << r.text;
        EXPECT_TRUE(img.frames.empty());
    }
}

TEST(BmpHeader, ShortFilesAndOffsets)
{
    const Bytes good = makeBmp(SBmpSpec());
    for (std::size_t n : {0u, 1u, 2u, 13u, 17u, 30u, 53u})
    {
        SCOPED_TRACE(n);
        SDecodedImage img;
        EXPECT_FALSE(bmpDecode(good.data(), n, &img).boOk());
    }
    Bytes notBm = good;
    notBm[1] = 'A';
    SDecodedImage img;
    EXPECT_EQ(bmpDecode(notBm.data(), notBm.size(), &img).status, EImageStatus::NotThisKind);
    // A pixel-data offset past the end of the file.
    Bytes far = good;
    put(far, 10, 0xFFFFFFF0u, 4);
    EXPECT_EQ(bmpDecode(far.data(), far.size(), &img).status, EImageStatus::ShortHeader);
    // A header size that claims more than the file holds.
    Bytes huge = good;
    put(huge, 14, 0xFFFFFFF0u, 4);
    EXPECT_EQ(bmpDecode(huge.data(), huge.size(), &img).status, EImageStatus::ShortHeader);
}

// Every kind GDI draws from a 40-byte header loads: the frame is the file's
// header, masks, table and pixel data as they stand, with the height's sign
// kept for top-down rows and the data size written into the header.
TEST(BmpKinds, EachKindLoadsAsTheFileHoldsIt)
{
    for (const SBmpKind& k : bmpKinds())
    {
        SCOPED_TRACE(k.name);
        const Bytes file = makeKindBmp(k);
        SDecodedImage img;
        const SImageResult r = bmpDecode(file.data(), file.size(), &img);
        ASSERT_TRUE(r.boOk()) << r.text;
        EXPECT_TRUE(img.boWholeDib);
        EXPECT_EQ(img.rect.width, kKindWidth);
        EXPECT_EQ(img.rect.height, kKindHeight);
        EXPECT_EQ(img.palette.size(), k.bits <= 8 ? 4u : 0u);
        ASSERT_EQ(img.frames.size(), 1u);
        const Bytes& dib = img.frames[0];
        const int32_t height =
            static_cast<int32_t>(dib[8] | (dib[9] << 8) | (dib[10] << 16) | (dib[11] << 24));
        EXPECT_EQ(height, k.boTopDown ? -kKindHeight : kKindHeight);
        EXPECT_EQ(dib[16], k.compression);
        ASSERT_EQ(dib.size(), file.size() - 14);
        EXPECT_TRUE(std::equal(dib.begin() + 40, dib.end(), file.begin() + 54)) << "masks, table and pixels";
        const uint32_t dataSize = dib[20] | (dib[21] << 8) | (dib[22] << 16) | (dib[23] << 24);
        const std::size_t extra = (k.compression == 3 ? 12 : 0) + (k.bits <= 8 ? 16 : 0);
        EXPECT_EQ(dataSize, file.size() - 54 - extra);
    }
}

TEST(BmpKinds, RunLengthDataBounds)
{
    const SBmpKind rle8 = {"RLE8", 8, 1, false};
    const Bytes good = makeKindBmp(rle8);
    const uint32_t dataSize = good[34] | (good[35] << 8);
    SDecodedImage img;
    {
        SCOPED_TRACE("data size 0: the rest of the file");
        Bytes b = good;
        b[34] = b[35] = 0;
        b.push_back(0x55);
        ASSERT_TRUE(bmpDecode(b.data(), b.size(), &img).boOk());
        EXPECT_EQ(img.frames[0].size(), b.size() - 14);
        EXPECT_EQ(img.frames[0][20], dataSize + 1);
    }
    {
        SCOPED_TRACE("data size one past the file");
        Bytes b = good;
        b[34] = static_cast<uint8_t>(dataSize + 1);
        EXPECT_EQ(bmpDecode(b.data(), b.size(), &img).status, EImageStatus::ShortHeader);
        EXPECT_TRUE(img.frames.empty());
    }
    {
        SCOPED_TRACE("data size 2^32 - 1");
        Bytes b = good;
        for (int i = 34; i < 38; ++i)
            b[i] = 0xFF;
        EXPECT_EQ(bmpDecode(b.data(), b.size(), &img).status, EImageStatus::ShortHeader);
    }
    {
        SCOPED_TRACE("a shorter data size than the runs: the frame holds only that much");
        Bytes b = good;
        b[34] = 4;
        b[35] = 0;
        ASSERT_TRUE(bmpDecode(b.data(), b.size(), &img).boOk());
        EXPECT_EQ(img.frames[0].size(), 40u + 16u + 4u);
    }
}
