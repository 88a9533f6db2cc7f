#include "TestFiles.h"

#include <fstream>
#include <sstream>

namespace FdTestKit
{

bool boReadFile(const std::string& strPath, std::string* lpstrData)
{
    std::ifstream in(strPath, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream data;
    // An empty file makes operator<< set failbit on data: not an error.
    if (in.peek() != std::ifstream::traits_type::eof() && !(data << in.rdbuf()))
        return false;
    if (in.bad())
        return false;
    *lpstrData = data.str();
    return true;
}

std::string strReadFile(const std::string& strPath)
{
    std::string strData;
    boReadFile(strPath, &strData);
    return strData;
}

bool boWriteFile(const std::string& strPath, const std::string& strData)
{
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    return out.write(strData.data(), static_cast<std::streamsize>(strData.size())) && out.flush();
}

namespace
{

testing::AssertionResult golden(const std::string& strActual, const std::string& strGolden, bool boHaveGolden,
                                const std::string& strGoldenName, const std::string& strActualPath)
{
    if (boHaveGolden && strGolden == strActual)
        return testing::AssertionSuccess();
    const bool boWritten = boWriteFile(strActualPath, strActual);
    testing::AssertionResult result = testing::AssertionFailure();
    if (!boHaveGolden)
        result << "cannot read the golden file " << strGoldenName << "\n";
    result << testing::internal::EqFailure(strGoldenName.c_str(), "actual", testing::PrintToString(strGolden),
                                           testing::PrintToString(strActual), false)
                  .message()
           << "\n"
           << (boWritten ? "written to " : "could not write ") << strActualPath;
    return result;
}

} // namespace

testing::AssertionResult MatchesGolden(const std::string& strActual, const std::string& strGoldenPath,
                                       const std::string& strActualPath)
{
    std::string strGolden;
    const bool boHaveGolden = boReadFile(strGoldenPath, &strGolden);
    return golden(strActual, strGolden, boHaveGolden, strGoldenPath, strActualPath);
}

testing::AssertionResult MatchesGoldenText(const std::string& strActual, const std::string& strGolden,
                                           const std::string& strActualPath)
{
    return golden(strActual, strGolden, true, "golden", strActualPath);
}

} // namespace FdTestKit
