#include "LzFileOp.h"

#include "LzBuffer.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <string>

using namespace FdTestKit;

namespace
{
const std::string kText = "plug-in plug-in plug-in composant composant Orbelle Orbelle Orbelle\r\n";

std::string compressed(const std::string& data)
{
    CLzBuffer lz;
    lz.boCompress(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size()), true);
    return std::string(reinterpret_cast<const char*>(lz.lpGetData()), lz.dwGetSize());
}
} // namespace

TEST(LzFileOp, ModeTable)
{
    CScratchFolder dir;
    const std::string plain = dir.File("plain.txt");
    const std::string packed = dir.File("packed.tx_");
    ASSERT_TRUE(boWriteFile(plain, kText));
    ASSERT_TRUE(boWriteFile(packed, compressed(kText)));
    const struct
    {
        const char* what;
        std::string source;
        int mode;
        std::string expected;
    } cases[] = {
        {"expand SZDD", packed, kLzModeExpand, kText},
        {"expand plain data copies it", plain, kLzModeExpand, kText},
        {"compress", plain, kLzModeCompress, compressed(kText)},
        {"compress forced", plain, kLzModeCompressForce, compressed(kText)},
        {"any other mode copies", packed, 0, compressed(kText)},
        {"compress without forcing keeps data that would not shrink", dir.File("short.txt"), kLzModeCompress,
         "abc"},
    };
    ASSERT_TRUE(boWriteFile(dir.File("short.txt"), "abc"));
    for (const auto& c : cases)
    {
        DWORD dwWin32 = 12345;
        const std::string target = dir.File("out.bin");
        EXPECT_EQ(iLzFileOp(c.source.c_str(), target.c_str(), c.mode, &dwWin32), kLzOk) << c.what;
        EXPECT_EQ(dwWin32, 0u) << c.what;
        std::string got;
        ASSERT_TRUE(boReadFile(target, &got)) << c.what;
        EXPECT_TRUE(got == c.expected) << c.what;
    }
}

TEST(LzFileOp, ErrorCodes)
{
    CScratchFolder dir;
    const std::string packed = compressed(kText);
    ASSERT_TRUE(boWriteFile(dir.File("truncated.tx_"), packed.substr(0, packed.size() - 4)));
    ASSERT_TRUE(boWriteFile(dir.File("good.tx_"), packed));

    DWORD dwWin32 = 0;
    EXPECT_EQ(
        iLzFileOp((dir.File("missing.tx_")).c_str(), (dir.File("out")).c_str(), kLzModeExpand, &dwWin32),
        kLzCantOpenSource);
    EXPECT_EQ(dwWin32, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    EXPECT_EQ(iLzFileOp((dir.File("good.tx_")).c_str(), (dir.File("no-such-folder\\out")).c_str(),
                        kLzModeExpand, &dwWin32),
              kLzCantCreateTarget);
    EXPECT_EQ(dwWin32, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    // A failed expansion leaves an existing target as it was.
    ASSERT_TRUE(boWriteFile(dir.File("kept"), "old"));
    EXPECT_EQ(
        iLzFileOp((dir.File("truncated.tx_")).c_str(), (dir.File("kept")).c_str(), kLzModeExpand, &dwWin32),
        kLzExpandFailed);
    std::string kept;
    ASSERT_TRUE(boReadFile(dir.File("kept"), &kept));
    EXPECT_EQ(kept, "old");

    EXPECT_EQ(iLzFileOp((dir.File("good.tx_")).c_str(), (dir.File("out")).c_str(), kLzModeExpand, nullptr),
              kLzOk);
}

TEST(LzFileOp, AReadOnlyTargetIsReplaced)
{
    CScratchFolder dir;
    const std::string target = dir.File("target");
    ASSERT_TRUE(boWriteFile(target, "old content"));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string packed = compressed(kText);
    DWORD dwWin32 = 0;
    EXPECT_EQ(iLzFileOpBuffer(reinterpret_cast<const uint8_t*>(packed.data()),
                              static_cast<uint32_t>(packed.size()), target.c_str(), kLzModeExpand, &dwWin32),
              kLzOk);
    std::string got;
    ASSERT_TRUE(boReadFile(target, &got));
    EXPECT_EQ(got, kText);
    EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST(LzFileOp, EmptySourcesGiveEmptyTargets)
{
    CScratchFolder dir;
    ASSERT_TRUE(boWriteFile(dir.File("empty"), ""));
    for (int mode : {static_cast<int>(kLzModeExpand), static_cast<int>(kLzModeCompress), 0})
    {
        const std::string target = dir.File("out" + std::to_string(mode));
        EXPECT_EQ(iLzFileOp((dir.File("empty")).c_str(), target.c_str(), mode, nullptr), kLzOk) << mode;
        std::string got = "x";
        ASSERT_TRUE(boReadFile(target, &got));
        EXPECT_EQ(got, "");
    }
}
