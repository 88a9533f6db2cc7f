#include "DetectHostWin.h"

#include <windows.h>

#include <vector>

#include "FileUtil.h"
#include "Registry.h"
#include "WinHandle.h"

namespace
{
constexpr DWORD kReadPieceBytes = 64 * 1024;
} // namespace

bool CWinDetectHost::boFileExists(const std::string& path)
{
    return ::boFileExists(path);
}

bool CWinDetectHost::boReadFile(const std::string& path, const ByteSink& sink)
{
    FdWin::CHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.boValid())
        return false;
    std::vector<uint8_t> piece(kReadPieceBytes);
    for (;;)
    {
        DWORD read = 0;
        if (!ReadFile(file.get(), piece.data(), kReadPieceBytes, &read, nullptr) || read == 0)
            break;
        sink(piece.data(), read);
    }
    return true;
}

std::string CWinDetectHost::RegReadValue(const std::string& key, const std::string& valueName,
                                         const std::string& defaultText)
{
    return ::RegReadValue(key, valueName.c_str(), defaultText.c_str());
}
