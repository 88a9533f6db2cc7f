#include "AnswerUrl.h"

#include "CmptVocabulary.h"
#include "ParamList.h"

namespace AnswerUrl
{

std::string strSerializeForPage(CParamList& list)
{
    list.boSetHidden(CommonOB::kszKeyTUrl, 1);
    list.boSetHidden(CommonOB::kszKeyBFrm, 1);
    const std::string strSeparator = list.lpszGetSeparator() ? list.lpszGetSeparator() : "";
    list.vSetSeparator(kszPageSeparator);
    std::string strText = list.lpszSerialize(false);
    list.vSetSeparator(strSeparator.c_str());
    list.vSetAllHidden(0);
    return strText;
}

std::string strBuild(const std::string& strPage, const std::string& strParams)
{
    if (strParams.empty())
        return strPage;
    return strPage + (strPage.find('?') != std::string::npos ? kszQueryMore : kszQuery) + strParams;
}

} // namespace AnswerUrl
