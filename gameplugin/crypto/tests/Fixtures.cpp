#include "Fixtures.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace FdCryptoTest
{

std::string FixturePath(const std::string& name)
{
    const char* root = std::getenv("FD_SOURCE_DIR");
    if (!root)
        throw std::runtime_error("FD_SOURCE_DIR is not set");
    std::string path = std::string(root) + "/testbed/crypto-fixtures/" + name;
#ifdef _WIN32
    // The Unix source tree seen through Wine's Z: drive.
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
    {
        if (c == '/')
            c = '\\';
    }
#endif
    return path;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    std::string text(bytes.begin(), bytes.end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

std::vector<SFixture> LoadManifest()
{
    std::istringstream lines(ReadText(FixturePath("fixtures.txt")));
    std::vector<SFixture> fixtures;
    std::string line;
    while (std::getline(lines, line))
    {
        std::istringstream fields(line);
        SFixture f;
        std::string outcome;
        std::string detail;
        fields >> f.file >> f.key >> outcome >> detail;
        if (outcome == "ok")
        {
            f.ok = true;
            for (size_t i = 0; detail != "-" && i + 1 < detail.size(); i += 2)
                f.plain.push_back(static_cast<uint8_t>(std::stoul(detail.substr(i, 2), nullptr, 16)));
        }
        else
        {
            f.code = static_cast<uint32_t>(std::stoul(outcome));
            f.lib = std::stol(detail);
        }
        if (!f.file.empty())
            fixtures.push_back(f);
    }
    if (fixtures.empty())
        throw std::runtime_error("no fixture listed");
    return fixtures;
}

} // namespace FdCryptoTest
