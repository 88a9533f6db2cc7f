// Wide (BSTR) form of CParamList::vAdd.
#include "ParamList.h"

#include "AnsiString.h"

void CParamList::vAdd(const wchar_t* lpwszName, const wchar_t* lpwszValue, CParamPair** lppPair)
{
    const CAnsiString name(lpwszName);
    const CAnsiString value(lpwszValue);
    vAdd(name.lpsz(), value.lpsz(), lppPair);
}
