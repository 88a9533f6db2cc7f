#include "FileDigest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{
const uint8_t* Bytes(const std::string& s)
{
    return reinterpret_cast<const uint8_t*>(s.data());
}

std::string Crc(const std::string& s, bool portableOnly = false)
{
    CCrc32 crc(portableOnly);
    crc.vUpdate(Bytes(s), s.size());
    return crc.GetText();
}

std::string Sha(const std::string& s, bool portableOnly = false)
{
    CSha1 sha(portableOnly);
    sha.vUpdate(Bytes(s), s.size());
    return sha.GetText();
}
} // namespace

TEST(FileDigest, Crc32KnownValues)
{
    for (bool portableOnly : {false, true})
    {
        EXPECT_EQ(Crc("123456789", portableOnly), "CBF43926");
        EXPECT_EQ(Crc("", portableOnly), "00000000");
        EXPECT_EQ(Crc("a", portableOnly), "E8B7BE43"); // leading digits kept at eight places
        EXPECT_EQ(Crc("The quick brown fox jumps over the lazy dog", portableOnly), "414FA339");
        // Long enough for the folding: a million 'a' (value from zlib's crc32).
        CCrc32 million(portableOnly);
        const std::string as(1000, 'a');
        for (int i = 0; i < 1000; ++i)
            million.vUpdate(Bytes(as), as.size());
        EXPECT_EQ(million.GetText(), "DC25BFBC") << portableOnly;
    }
}

TEST(FileDigest, Sha1Fips180Vectors)
{
    for (bool portableOnly : {false, true})
    {
        EXPECT_EQ(Sha("abc", portableOnly), "A9993E364706816ABA3E25717850C26C9CD0D89D");
        EXPECT_EQ(Sha("", portableOnly), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
        EXPECT_EQ(Sha("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", portableOnly),
                  "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
        CSha1 million(portableOnly);
        const std::string as(1000, 'a');
        for (int i = 0; i < 1000; ++i)
            million.vUpdate(Bytes(as), as.size());
        EXPECT_EQ(million.GetText(), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F") << portableOnly;
    }
}

// The processor's instructions, where this machine has them, give what the tables and
// the plain rounds give, for every length around the 64-byte and 128-byte edges and
// for any cut into pieces.
TEST(FileDigest, ProcessorPathsAgreeWithPortable)
{
    std::string data;
    uint32_t x = 2463534242u;
    for (size_t i = 0; i < 5000; ++i)
    {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data += static_cast<char>(x);
    }
    std::printf("processor CRC folding: %d, processor SHA rounds: %d\n", CCrc32().boUsesProcessorFolding(),
                CSha1().boUsesProcessorRounds());
    for (size_t length = 0; length < 600; length += (length < 300 ? 1 : 37))
        for (size_t piece : {length + 1, size_t(1), size_t(63), size_t(129)})
        {
            CCrc32 crc, plainCrc(true);
            CSha1 sha, plainSha(true);
            for (size_t at = 0; at < length; at += piece)
            {
                const size_t n = std::min(piece, length - at);
                crc.vUpdate(Bytes(data) + at, n);
                plainCrc.vUpdate(Bytes(data) + at, n);
                sha.vUpdate(Bytes(data) + at, n);
                plainSha.vUpdate(Bytes(data) + at, n);
            }
            ASSERT_EQ(crc.GetText(), plainCrc.GetText()) << "length " << length << " piece " << piece;
            ASSERT_EQ(sha.GetText(), plainSha.GetText()) << "length " << length << " piece " << piece;
        }
    EXPECT_EQ(Crc(data), Crc(data, true));
    EXPECT_EQ(Sha(data), Sha(data, true));
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

#ifndef _WIN32
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <unistd.h>
#include <vector>

#include "DetectHost.h"

namespace
{
// Files read in 64 KB pieces from the host's file system, as the plugs read them.
class CStdFileHost : public IDetectHost
{
public:
    bool boFileExists(const std::string& path) override { return std::ifstream(path).good(); }
    bool boReadFile(const std::string& path, const ByteSink& sink) override
    {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return false;
        std::vector<char> piece(64 * 1024);
        while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0)
            sink(reinterpret_cast<const uint8_t*>(piece.data()), static_cast<size_t>(in.gcount()));
        return true;
    }
    std::string RegReadValue(const std::string&, const std::string&, const std::string& defaultText) override
    {
        return defaultText;
    }
};

// The first word a command prints, upper-cased; "" when it cannot run.
std::string FirstWordOf(const std::string& command)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return std::string();
    std::string word;
    int c;
    while ((c = std::fgetc(pipe)) != EOF && !std::isspace(c))
        word += static_cast<char>(std::toupper(c));
    pclose(pipe);
    return word;
}

bool HasCommand(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}
} // namespace

// The digests of a few files, streamed as the plugs stream them, are those that the
// system's crc32 and sha1sum print.
TEST(FileDigest, FilesAgreeWithCrc32AndSha1sum)
{
    if (!HasCommand("crc32") || !HasCommand("sha1sum"))
        GTEST_SKIP() << "crc32 (libarchive-zip-perl) or sha1sum missing: tools/setup installs them";
    char folder[] = "/tmp/fd_digest_files_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    uint32_t x = 88172645u;
    CStdFileHost host;
    for (size_t size : {size_t(0), size_t(1), size_t(65536), size_t(65537), size_t(1000003)})
    {
        const std::string path = std::string(folder) + "/file" + std::to_string(size);
        {
            std::ofstream out(path, std::ios::binary);
            for (size_t i = 0; i < size; ++i)
            {
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                out.put(static_cast<char>(x));
            }
        }
        std::string crc = FirstWordOf("crc32 " + path);
        crc.insert(0, crc.size() < 8 ? 8 - crc.size() : 0, '0');
        EXPECT_EQ(FileCrc32Text(host, path), crc) << size;
        EXPECT_EQ(FileSha1Text(host, path), FirstWordOf("sha1sum " + path)) << size;
        std::remove(path.c_str());
    }
    rmdir(folder);
}
#endif
