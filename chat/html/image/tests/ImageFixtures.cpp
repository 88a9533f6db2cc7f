#include "ImageFixtures.h"
#include "TestFiles.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace FdHtmlTest
{
std::string strFixturePath(const std::string& name)
{
    const char* root = std::getenv("FD_SOURCE_DIR");
    std::string path = std::string(root ? root : ".") + "/chat/html/tests/fixtures/" + name;
#ifdef _WIN32
    // The Unix source tree seen through Wine's Z: drive.
    if (path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
    {
        if (c == '/')
            c = '\\';
    }
#endif
    return path;
}

std::vector<uint8_t> readFile(const std::string& path)
{
    const std::string bytes = FdTestKit::strReadFile(path);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<SFixture> fixtures()
{
    std::vector<SFixture> out;
    std::ifstream in(strFixturePath("expected.txt"));
    std::string line;
    while (std::getline(in, line))
    {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        SFixture f;
        fields >> f.name >> f.width >> f.height >> f.frames >> f.transparent >> f.delayMs >> f.colours;
        if (fields)
            out.push_back(f);
    }
    return out;
}
} // namespace FdHtmlTest
