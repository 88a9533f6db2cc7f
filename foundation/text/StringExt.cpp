#include "StringExt.h"

#include <cstring>

#include "TextUtil.h"

CStringExt CStringExt::Left(int32_t n) const
{
    if (n <= 0)
        return CStringExt();
    return CStringExt(substr(0, static_cast<size_t>(n)));
}

CStringExt CStringExt::Mid(int32_t p) const
{
    return MidN(p, -1);
}

CStringExt CStringExt::MidN(int32_t p, int32_t n) const
{
    if (p < 0)
        p = 0;
    if (static_cast<size_t>(p) >= size() || n == 0 || n < -1)
        return CStringExt();
    return CStringExt(substr(static_cast<size_t>(p), n == -1 ? npos : static_cast<size_t>(n)));
}

CStringExt CStringExt::Right(int32_t n) const
{
    if (n <= 0)
        return CStringExt();
    const size_t count = static_cast<size_t>(n) < size() ? static_cast<size_t>(n) : size();
    return CStringExt(substr(size() - count));
}

CStringExt CStringExt::SpanExcluding(const char* set) const
{
    if (set == nullptr || *set == '\0')
        return *this;
    const size_t pos = find_first_of(set);
    return pos == npos ? *this : CStringExt(substr(0, pos));
}

void CStringExt::TrimLeft()
{
    size_t i = 0;
    while (i < size() && IsSpaceChar((*this)[i]))
        ++i;
    erase(0, i);
}

void CStringExt::TrimRight()
{
    size_t n = size();
    while (n > 0 && IsSpaceChar((*this)[n - 1]))
        --n;
    erase(n);
}

void CStringExt::MakeUpper()
{
    for (char& c : *this)
        c = ToUpperAscii(c);
}

void CStringExt::MakeLower()
{
    for (char& c : *this)
        c = ToLowerAscii(c);
}

int32_t CStringExt::FindNext(const char* text, int32_t index) const
{
    if (text == nullptr || index < 0)
        return -1;
    const size_t from = index == 0 ? 0 : static_cast<size_t>(index) + 1;
    if (from > size())
        return -1;
    const size_t pos = find(text, from);
    return pos == npos ? -1 : static_cast<int32_t>(pos);
}
