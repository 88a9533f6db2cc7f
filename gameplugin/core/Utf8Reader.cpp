#include "Utf8Reader.h"

#include <cstring>

namespace
{
constexpr uint32_t kReplacement = 0xFFFD;
constexpr uint32_t kWideBytes = 2;

void vStoreWide(uint8_t* lpOut, uint32_t dwChar)
{
    lpOut[0] = static_cast<uint8_t>(dwChar);
    lpOut[1] = static_cast<uint8_t>(dwChar >> 8);
}

// True when a NUL lies among the further bytes of the sequence at p.
bool boCutByNul(const uint8_t* p, size_t ulLength)
{
    for (size_t i = 1; i < ulLength; ++i)
    {
        if (p[i] == 0)
            return true;
    }
    return false;
}
} // namespace

size_t ulUtf8SequenceLength(uint8_t bLead)
{
    if (bLead < 0x80)
        return 1;
    return bLead < 0xE0 ? 2 : 3;
}

uint32_t dwReadUtf8(const uint8_t** lppText)
{
    const uint8_t* p = *lppText;
    const uint8_t bLead = *p;
    const size_t ulLength = ulUtf8SequenceLength(bLead);
    for (size_t i = 1; i < ulLength; ++i)
    {
        if (p[i] == 0)
        {
            *lppText = p + i; // on the NUL: the text ends inside the sequence
            return kReplacement;
        }
    }
    *lppText = p + ulLength;
    if (ulLength == 1)
        return bLead;
    if (ulLength == 2)
        return (bLead & 0x1Fu) << 6 | (p[1] & 0x3Fu);
    return ((bLead & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu)) & 0xFFFFu;
}

bool boUtf8ToWide(void* lpOut, const char* lpszIn, uint32_t* lpdwOutBytes, uint32_t* lpdwInBytes,
                  bool boMeasureOnly)
{
    uint8_t* lpBytes = static_cast<uint8_t*>(lpOut);
    const uint32_t dwRoom = *lpdwOutBytes;
    const bool boInputLimited = lpdwInBytes != nullptr;
    const uint32_t dwInAvailable = boInputLimited ? *lpdwInBytes : 0;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(lpszIn);
    uint32_t dwProduced = 0;
    uint32_t dwConsumed = 0;
    bool boLastWasNul = false;
    for (;;)
    {
        if (boInputLimited && dwConsumed >= dwInAvailable)
            break;
        const size_t ulLength = ulUtf8SequenceLength(*p);
        if (boInputLimited && dwInAvailable - dwConsumed < ulLength)
            break;
        if (boCutByNul(p, ulLength))
            break;
        const uint8_t* lpNext = p;
        const uint32_t dwChar = dwReadUtf8(&lpNext);
        boLastWasNul = (dwChar == 0);
        if (dwRoom - dwProduced < kWideBytes)
            break;
        if (!boMeasureOnly)
            vStoreWide(lpBytes + dwProduced, dwChar);
        dwProduced += kWideBytes;
        dwConsumed += static_cast<uint32_t>(ulLength);
        p = lpNext;
        if (dwChar == 0)
            break;
    }
    if (!boMeasureOnly && boInputLimited && dwConsumed == dwInAvailable && dwRoom - dwProduced >= kWideBytes)
        vStoreWide(lpBytes + dwProduced, 0);
    *lpdwOutBytes = dwProduced;
    if (lpdwInBytes)
        *lpdwInBytes = dwConsumed;
    return boLastWasNul;
}
