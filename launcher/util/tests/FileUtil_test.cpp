#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "FileUtil.h"
#include "TestFiles.h"

namespace
{
std::string TempPath(const char* name)
{
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

using FdTestKit::strReadFile;
} // namespace

TEST(FileUtil, WritesOnlyNewFiles)
{
    const std::string path = TempPath("fd_util_new.txt");
    DeleteFileA(path.c_str());
    EXPECT_FALSE(boFileExists(path));
    EXPECT_EQ(WriteNewTextFile(path, "line1\r\nline2"), 1);
    EXPECT_TRUE(boFileExists(path));
    EXPECT_EQ(strReadFile(path), "line1\r\nline2");
    EXPECT_EQ(WriteNewTextFile(path, "other"), 0);
    EXPECT_EQ(strReadFile(path), "line1\r\nline2");
    DeleteFileA(path.c_str());
}

TEST(FileUtil, LongPathsAreRefused)
{
    const std::string longPath = TempPath("") + std::string(kMaxPathLength, 'a');
    EXPECT_EQ(WriteNewTextFile(longPath, "x"), 0);
    EXPECT_FALSE(boFileExists(TempPath("no_such_dir\\no_such_file.txt")));
}
