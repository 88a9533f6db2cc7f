#include "FileDigest.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const uint8_t* Bytes(const std::string& s)
{
    return reinterpret_cast<const uint8_t*>(s.data());
}

std::string Crc(const std::string& s)
{
    CCrc32 crc;
    crc.vUpdate(Bytes(s), s.size());
    return crc.GetText();
}

std::string Sha(const std::string& s)
{
    CSha1 sha;
    sha.vUpdate(Bytes(s), s.size());
    return sha.GetText();
}
} // namespace

TEST(FileDigest, Crc32KnownValues)
{
    EXPECT_EQ(Crc("123456789"), "CBF43926");
    EXPECT_EQ(Crc(""), "00000000");
    EXPECT_EQ(Crc("a"), "E8B7BE43"); // leading digits kept at eight places
    EXPECT_EQ(Crc("The quick brown fox jumps over the lazy dog"), "414FA339");
}

TEST(FileDigest, Sha1Fips180Vectors)
{
    EXPECT_EQ(Sha("abc"), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(Sha(""), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
    EXPECT_EQ(Sha("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
    CSha1 million;
    const std::string as(1000, 'a');
    for (int i = 0; i < 1000; ++i)
        million.vUpdate(Bytes(as), as.size());
    EXPECT_EQ(million.GetText(), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
}

// Feeding the same bytes in pieces of any size gives the same digests, across the
// 55/56/64-byte padding edges.
TEST(FileDigest, PiecesGiveTheSameDigest)
{
    for (size_t length : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 200u})
    {
        std::string data;
        for (size_t i = 0; i < length; ++i)
            data += static_cast<char>(i * 7 + 3);
        const std::string wholeCrc = Crc(data), wholeSha = Sha(data);
        for (size_t piece : {1u, 3u, 17u, 64u})
        {
            CCrc32 crc;
            CSha1 sha;
            for (size_t at = 0; at < length; at += piece)
            {
                const size_t n = std::min(piece, length - at);
                crc.vUpdate(Bytes(data) + at, n);
                sha.vUpdate(Bytes(data) + at, n);
            }
            EXPECT_EQ(crc.GetText(), wholeCrc) << "length " << length << " piece " << piece;
            EXPECT_EQ(sha.GetText(), wholeSha) << "length " << length << " piece " << piece;
        }
    }
}
