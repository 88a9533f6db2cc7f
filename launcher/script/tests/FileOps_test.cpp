#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "FileOps.h"
#include "TestFiles.h"

namespace
{
class FileOpsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                          ("ludex-fileops-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dir);
        m_dir = dir.string();
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    std::string Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }
    static std::string Read(const std::string& path) { return FdTestKit::strReadFile(path); }
    size_t FileCount() const
    {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(m_dir), {}));
    }

    std::string m_dir;
    CFileOps m_files;
};
} // namespace

TEST(FileOps, ReplaceAll)
{
    struct Case
    {
        const char* text;
        const char* find;
        const char* replacement;
        bool caseSensitive;
        const char* result;
    };
    const Case cases[] = {
        {"aXbxc", "x", "-", true, "aXb-c"}, {"aXbxc", "x", "--", false, "a--b--c"},
        {"aa", "a", "aa", true, "aaaa"}, // goes on after each replacement
        {"abc", "", "z", true, "abc"},   // an empty search text changes nothing
        {"abc", "d", "z", true, "abc"},     {"port=1", "PORT", "", false, "=1"},
    };
    for (const Case& c : cases)
    {
        std::string text = c.text;
        CFileOps::ReplaceAll(text, c.find, c.replacement, c.caseSensitive);
        EXPECT_EQ(text, c.result) << c.text << " / " << c.find;
    }
}

TEST(FileOps, SetParamValue)
{
    struct Case
    {
        const char* text;
        const char* name;
        bool caseSensitive;
        bool found;
        const char* result;
    };
    const Case cases[] = {
        {"a=1,b=2", "b", true, true, "a=1,b=5"},
        {"port = 2300; rest", "port", true, true, "port = 5; rest"},
        {"PORT\t=\r\n7\n", "port", false, true, "PORT\t=\r\n5\n"},
        {"PORT=7", "port", true, false, "PORT=7"},
        {"a=1,b= ;\r\n", "b", true, false, "a=1,b= ;\r\n"}, // only separators after the name
        {"a=1", "c", true, false, "a=1"},
        {"a=1", "", true, false, "a=1"},
    };
    for (const Case& c : cases)
    {
        std::string text = c.text;
        EXPECT_EQ(CFileOps::SetParamValue(text, c.name, "5", c.caseSensitive), c.found) << c.text;
        EXPECT_EQ(text, c.result) << c.text;
    }
}

namespace
{
// Answers every call with the path it was asked about, and counts them.
class CFakeFileCalls : public IFileCalls
{
public:
    bool Exists(const std::string& path) const override { return Note(path); }
    bool Copy(const std::string& source, const std::string&, bool) const override { return Note(source); }
    bool Rename(const std::string& source, const std::string&) const override { return Note(source); }
    bool Delete(const std::string& path) const override { return Note(path); }
    bool ReadAll(const std::string& path, std::string& text) const override
    {
        text = "read " + path;
        return Note(path);
    }
    bool WriteAll(const std::string& path, const char*, size_t, bool) const override { return Note(path); }

    mutable int calls = 0;

private:
    bool Note(const std::string& path) const
    {
        ++calls;
        return path == "yes";
    }
};
} // namespace

TEST(FileOps, GoesThroughTheFileCallsHandedIn)
{
    const IFileCalls* const before = &FileCalls();
    CFakeFileCalls fake;
    SetFileCalls(&fake);
    const CFileOps files;
    std::string text;
    EXPECT_TRUE(files.Exists("yes"));
    EXPECT_FALSE(files.Exists("no"));
    EXPECT_TRUE(files.Copy("yes", "b", true));
    EXPECT_TRUE(files.Rename("yes", "b"));
    EXPECT_TRUE(files.Delete("yes"));
    EXPECT_TRUE(files.ReadAll("yes", text));
    EXPECT_EQ(text, "read yes");
    EXPECT_TRUE(files.WriteAll("yes", "x", 1, false));
    // The file-level helpers go through the same calls.
    EXPECT_TRUE(files.FileTextSubst("yes", "read", "write", true));
    EXPECT_EQ(fake.calls, 9);
    SetFileCalls(nullptr);
    EXPECT_FALSE(files.Exists("yes")); // the C library's: no such file here
    EXPECT_EQ(fake.calls, 9);
    SetFileCalls(before);
}

TEST_F(FileOpsTest, ReadAllReadsChunksToTheEnd)
{
    for (const size_t size : {size_t{0}, size_t{10}, CFileOps::kChunk, 2 * CFileOps::kChunk + 1})
    {
        const std::string data(size, 'q');
        const std::string path = Write("r.bin", data);
        std::string text = "sentinel";
        EXPECT_TRUE(m_files.ReadAll(path, text)) << size;
        EXPECT_EQ(text, data) << size;
    }
    std::string text = "sentinel";
    EXPECT_FALSE(m_files.ReadAll(Path("missing"), text));
    EXPECT_EQ(text, "");
}

TEST_F(FileOpsTest, WriteAll)
{
    const std::string path = Write("w.txt", "old");
    EXPECT_FALSE(m_files.WriteAll(path, "new", 3, false));
    EXPECT_EQ(Read(path), "old");
    EXPECT_TRUE(m_files.WriteAll(path, "newer", 5, true));
    EXPECT_EQ(Read(path), "newer");
    EXPECT_TRUE(m_files.WriteAll(Path("fresh.txt"), "f", 1, false));
    EXPECT_EQ(Read(Path("fresh.txt")), "f");
    // No temporary file stays behind.
    EXPECT_EQ(FileCount(), 2u);
    const std::string longPath = m_dir + "/" + std::string(CFileOps::kMaxPath, 'x');
    EXPECT_FALSE(m_files.WriteAll(longPath, "x", 1, true));
    // A target that cannot be replaced (a folder) fails and leaves nothing behind.
    std::filesystem::create_directories(Path("folder"));
    EXPECT_FALSE(m_files.WriteAll(Path("folder"), "x", 1, true));
    EXPECT_TRUE(std::filesystem::is_directory(Path("folder")));
    EXPECT_EQ(FileCount(), 3u);
}

TEST_F(FileOpsTest, CopyRenameDelete)
{
    const std::string source = Write("s.txt", "source");
    const std::string destination = Write("d.txt", "dest");
    EXPECT_FALSE(m_files.Copy(source, destination, false));
    EXPECT_EQ(Read(destination), "dest");
    EXPECT_TRUE(m_files.Copy(source, destination, true));
    EXPECT_EQ(Read(destination), "source");
    EXPECT_FALSE(m_files.Copy(Path("none"), Path("none2"), true));
    EXPECT_TRUE(m_files.Rename(source, Path("moved.txt")));
    EXPECT_FALSE(m_files.Exists(source));
    EXPECT_TRUE(m_files.Exists(Path("moved.txt")));
    EXPECT_FALSE(m_files.Rename(source, Path("again.txt")));
    EXPECT_TRUE(m_files.Delete(Path("moved.txt")));
    EXPECT_FALSE(m_files.Delete(Path("moved.txt")));
}

TEST_F(FileOpsTest, FileValueChangeAndTextSubst)
{
    const std::string path = Write("game.ini", "[net]\r\nport = 2300; tcp\r\nName=Old Name\r\n");
    EXPECT_TRUE(m_files.FileValueChange(path, "PORT", "47624", false));
    EXPECT_EQ(Read(path), "[net]\r\nport = 47624; tcp\r\nName=Old Name\r\n");
    EXPECT_FALSE(m_files.FileValueChange(path, "missing", "1", false));
    EXPECT_TRUE(m_files.FileTextSubst(path, "old name", "New", false));
    EXPECT_EQ(Read(path), "[net]\r\nport = 47624; tcp\r\nName=New\r\n");
    EXPECT_TRUE(m_files.FileTextSubst(path, "", "x", false));
    EXPECT_EQ(Read(path), "[net]\r\nport = 47624; tcp\r\nName=New\r\n");
    EXPECT_FALSE(m_files.FileTextSubst(Path("none.ini"), "a", "b", false));
    EXPECT_FALSE(m_files.Exists(Path("none.ini")));
}
