// Interoperability of the SZDD codec with real peers. The data files and their
// forms compressed by the classic compressor (mscompress, "<name>_", with the
// classic expander's reading of it in "<name>.ref") are laid in the folder named
// by FD_SZDD_INTEROP_DIR by the preparing script; this test
//  - expands every "<name>_" with iLzFileOp and compares it with "<name>" and with
//    "<name>.ref" cut to the size in the file's header (msexpand decodes the whole
//    stream whatever the header says; mscompress writes zeros in place of the data
//    of files under 16 bytes, so for those the peers' reading is the reference);
//  - compresses every "<name>" with iLzFileOp into "<name>.fd" and expands that
//    with the system's own LZ functions (LZCopy), comparing again;
// and leaves the ".fd" files for the checking script, which expands them with
// msexpand.
#include "LzFileOp.h"
#include "TestKit.h"

#include <windows.h>
#include <lzexpand.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace FdTestKit;

namespace
{
constexpr size_t kClassicCompressorMinimum = 16; // mscompress encodes shorter files wrongly

std::string strDataDir()
{
    char sz[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("FD_SZDD_INTEROP_DIR", sz, sizeof sz);
    return n > 0 && n < sizeof sz ? std::string(sz, n) : std::string("szdd-interop");
}

// The expanded size that an SZDD file's header announces.
uint32_t dwHeaderSize(const std::string& packed)
{
    uint32_t dw = 0;
    for (int i = 3; i >= 0 && packed.size() >= 14; --i)
        dw = dw << 8 | static_cast<uint8_t>(packed[10 + i]);
    return dw;
}

// The data files of the folder (names without "_" or a dot).
std::vector<std::string> dataNames(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        const std::string name = fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.find('.') == std::string::npos &&
            name.back() != '_')
            names.push_back(name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

// Expands with lz32's LZCopy; false when any step fails.
bool boLzCopy(const std::string& source, const std::string& target)
{
    OFSTRUCT ofsIn{}, ofsOut{};
    const INT hIn = LZOpenFileA(const_cast<char*>(source.c_str()), &ofsIn, OF_READ);
    if (hIn < 0)
        return false;
    const INT hOut = LZOpenFileA(const_cast<char*>(target.c_str()), &ofsOut, OF_CREATE);
    if (hOut < 0)
    {
        LZClose(hIn);
        return false;
    }
    const LONG lCopied = LZCopy(hIn, hOut);
    LZClose(hIn);
    LZClose(hOut);
    return lCopied >= 0;
}
} // namespace

TEST(SzddInterop, ClassicCompressorFilesExpandByteExact)
{
    const std::string dir = strDataDir();
    const std::vector<std::string> names = dataNames(dir);
    ASSERT_GE(names.size(), 7u) << "no data in " << dir << ": run the preparing script";
    for (const std::string& name : names)
    {
        const std::string out = dir + "\\" + name + ".exp";
        DWORD dwWin32 = 1;
        ASSERT_EQ(iLzFileOp((dir + "\\" + name + "_").c_str(), out.c_str(), kLzModeExpand, &dwWin32), kLzOk)
            << name;
        EXPECT_EQ(dwWin32, 0u);
        std::string original, reference, packed, expanded;
        ASSERT_TRUE(boReadFile(dir + "\\" + name, &original));
        ASSERT_TRUE(boReadFile(dir + "\\" + name + ".ref", &reference));
        ASSERT_TRUE(boReadFile(dir + "\\" + name + "_", &packed));
        ASSERT_TRUE(boReadFile(out, &expanded));
        reference.resize(std::min<size_t>(reference.size(), dwHeaderSize(packed)));
        EXPECT_TRUE(expanded == reference)
            << name << ": " << expanded.size() << " bytes for " << reference.size();
        if (original.size() >= kClassicCompressorMinimum)
        {
            EXPECT_TRUE(expanded == original) << name;
        }
        DeleteFileA(out.c_str());
    }
}

TEST(SzddInterop, OurFilesExpandByteExactWithLzCopy)
{
    const std::string dir = strDataDir();
    const std::vector<std::string> names = dataNames(dir);
    ASSERT_GE(names.size(), 7u) << "no data in " << dir << ": run the preparing script";
    for (const std::string& name : names)
    {
        const std::string packed = dir + "\\" + name + ".fd";
        ASSERT_EQ(iLzFileOp((dir + "\\" + name).c_str(), packed.c_str(), kLzModeCompressForce, nullptr),
                  kLzOk)
            << name;
        const std::string out = dir + "\\" + name + ".lz32";
        ASSERT_TRUE(boLzCopy(packed, out)) << name;
        std::string original, expanded;
        ASSERT_TRUE(boReadFile(dir + "\\" + name, &original));
        ASSERT_TRUE(boReadFile(out, &expanded));
        EXPECT_TRUE(expanded == original)
            << name << ": " << expanded.size() << " bytes for " << original.size();
        DeleteFileA(out.c_str());
    }
}

TEST(SzddInterop, TruncatedMissingSourceAndMissingFolder)
{
    const std::string dir = strDataDir();
    std::string packed;
    ASSERT_TRUE(boReadFile(dir + "\\mixed_", &packed));
    ASSERT_GT(packed.size(), 1000u);
    for (size_t keep : {packed.size() - 1, packed.size() / 2, size_t{15}})
    {
        const std::string cut = dir + "\\cut.tmp";
        ASSERT_TRUE(boWriteFile(cut, packed.substr(0, keep)));
        EXPECT_EQ(iLzFileOp(cut.c_str(), (dir + "\\cut.out").c_str(), kLzModeExpand, nullptr),
                  kLzExpandFailed)
            << keep;
        DeleteFileA(cut.c_str());
    }
    EXPECT_FALSE(boFileExists(dir + "\\cut.out"));
    DWORD dwWin32 = 0;
    EXPECT_EQ(
        iLzFileOp((dir + "\\no-such-file_").c_str(), (dir + "\\x.out").c_str(), kLzModeExpand, &dwWin32),
        kLzCantOpenSource);
    EXPECT_NE(dwWin32, 0u);
    EXPECT_EQ(iLzFileOp((dir + "\\mixed_").c_str(), (dir + "\\no-such-folder\\x.out").c_str(), kLzModeExpand,
                        &dwWin32),
              kLzCantCreateTarget);
    EXPECT_NE(dwWin32, 0u);
}
