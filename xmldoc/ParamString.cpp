#include "ParamString.h"

#include "TextUtil.h"
#include "XmlEntities.h"

namespace
{
bool IsParamBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Position of the first occurrence of name that counts: at the start or behind a
// blank, followed by the end, a blank or '=', and not inside a quoted value.
size_t FindName(const std::string& name, const std::string& params)
{
    if (name.empty())
        return std::string::npos;
    CStringExt upperName(name);
    upperName.MakeUpper();
    CStringExt upperParams(params);
    upperParams.MakeUpper();

    size_t quotes = 0;
    size_t counted = 0; // quotes are counted in params[0, counted)
    size_t pos = upperParams.find(upperName);
    while (pos != std::string::npos)
    {
        for (; counted < pos; ++counted)
            if (params[counted] == '"')
                ++quotes;
        const size_t after = pos + upperName.size();
        const bool startOk = pos == 0 || IsParamBlank(params[pos - 1]);
        const bool endOk = after == params.size() || IsParamBlank(params[after]) || params[after] == '=';
        if (startOk && endOk && quotes % 2 == 0)
            return pos;
        pos = upperParams.find(upperName, pos + 1);
    }
    return std::string::npos;
}
} // namespace

bool HasParam(const std::string& name, const std::string& params)
{
    return FindName(name, params) != std::string::npos;
}

CStringExt FindParamValue(const std::string& name, const std::string& params, const std::string& defaultValue)
{
    const size_t pos = FindName(name, params);
    if (pos == std::string::npos)
        return CStringExt();
    size_t i = pos + name.size();
    while (i < params.size() && IsParamBlank(params[i]))
        ++i;
    if (i >= params.size() || params[i] != '=' || i + 1 == params.size())
        return CStringExt(defaultValue);
    ++i;
    while (i < params.size() && IsParamBlank(params[i]))
        ++i;
    const size_t begin = i;
    bool quoted = false;
    while (i < params.size() && (quoted || !IsParamBlank(params[i])))
    {
        if (params[i] == '"')
            quoted = !quoted;
        ++i;
    }
    CStringExt value = TrimmedCopy(params.substr(begin, i - begin));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return XmlUnformatString(value);
}
