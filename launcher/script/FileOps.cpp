#include "FileOps.h"

#include <cctype>

namespace
{
std::string Upper(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool IsSeparator(char c)
{
    return c == '\t' || c == '=' || c == ',' || c == ';' || c == ' ' || c == '\r' || c == '\n';
}
} // namespace

void CFileOps::ReplaceAll(std::string& text, const std::string& find, const std::string& replacement,
                          bool caseSensitive)
{
    if (find.empty())
        return;
    // Searched in a copy (upper-cased without case sensitivity); the result is
    // built from the original's pieces between the matches.
    const std::string haystack = caseSensitive ? text : Upper(text);
    const std::string needle = caseSensitive ? find : Upper(find);
    std::string result;
    size_t from = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, from))
    {
        result.append(text, from, at - from);
        result += replacement;
        from = at + needle.size();
    }
    if (from == 0)
        return;
    result.append(text, from, std::string::npos);
    text.swap(result);
}

bool CFileOps::SetParamValue(std::string& text, const std::string& name, const std::string& value,
                             bool caseSensitive)
{
    if (name.empty())
        return false;
    const size_t at = caseSensitive ? text.find(name) : Upper(text).find(Upper(name));
    if (at == std::string::npos)
        return false;
    size_t start = at + name.size();
    while (start < text.size() && IsSeparator(text[start]))
        ++start;
    if (start >= text.size())
        return false;
    size_t end = start;
    while (end < text.size() && !IsSeparator(text[end]))
        ++end;
    text.replace(start, end - start, value);
    return true;
}

bool CFileOps::FileValueChange(const std::string& path, const std::string& name, const std::string& value,
                               bool caseSensitive) const
{
    std::string text;
    return ReadAll(path, text) && SetParamValue(text, name, value, caseSensitive) &&
           WriteAll(path, text.data(), text.size(), true);
}

bool CFileOps::FileTextSubst(const std::string& path, const std::string& find, const std::string& replacement,
                             bool caseSensitive) const
{
    std::string text;
    if (!ReadAll(path, text))
        return false;
    ReplaceAll(text, find, replacement, caseSensitive);
    return WriteAll(path, text.data(), text.size(), true);
}

bool CFileOps::Exists(const std::string& path) const
{
    return FileCalls().Exists(path);
}

bool CFileOps::Copy(const std::string& source, const std::string& destination, bool overwrite) const
{
    return FileCalls().Copy(source, destination, overwrite);
}

bool CFileOps::Rename(const std::string& source, const std::string& destination) const
{
    return FileCalls().Rename(source, destination);
}

bool CFileOps::Delete(const std::string& path) const
{
    return FileCalls().Delete(path);
}

bool CFileOps::ReadAll(const std::string& path, std::string& text) const
{
    return FileCalls().ReadAll(path, text);
}

bool CFileOps::WriteAll(const std::string& path, const char* data, size_t length, bool overwrite) const
{
    return FileCalls().WriteAll(path, data, length, overwrite);
}
