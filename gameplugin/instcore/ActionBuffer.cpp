#include "ActionBuffer.h"

#include "AnsiText.h"
#include "ParamList.h"

namespace PageAction
{

EBufferStatus eReadActionBuffer(const char* lpBuffer, size_t ulSize, CParamList& list, size_t* lpulPayload)
{
    if (lpulPayload)
        *lpulPayload = 0;
    if (!lpBuffer || ulSize < kSuffixLength)
        return EBufferStatus::TooShort;
    if (!boAnsiEqualNoCase(lpBuffer + ulSize - kSuffixLength, kSuffixLength, kszSuffix, kSuffixLength))
        return EBufferStatus::BadSuffix;
    if (!list.boParse(lpBuffer, ulSize, true, true))
        return EBufferStatus::BadBlock;
    if (lpulPayload)
        *lpulPayload = list.ulGetParseStop();
    return EBufferStatus::Ok;
}

int32_t lGetAction(const CParamList& list)
{
    return lParseDecimal(list.lpszGetValue(kszActionKey));
}

} // namespace PageAction
