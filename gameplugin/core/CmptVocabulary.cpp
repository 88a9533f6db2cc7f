#include "CmptVocabulary.h"

#include "AnsiText.h"
#include "ParamList.h"

#include <cstdio>

namespace CommonOB
{

ECmptCommand eFindCmptCommand(const char* lpszWord)
{
    static const struct
    {
        const char* lpszWord;
        ECmptCommand eCommand;
    } s_table[] = {
        {kszCmdSend, ECmptCommand::Send},           {kszCmdDownload, ECmptCommand::Download},
        {kszCmdDownload2, ECmptCommand::Download2}, {kszCmdSetMsg, ECmptCommand::SetMsg},
        {kszCmdSendB, ECmptCommand::SendB},         {kszCmdExecA, ECmptCommand::ExecA},
        {kszCmdShowPb, ECmptCommand::ShowPb},       {kszCmdHidePb, ECmptCommand::HidePb},
        {kszCmdDlCancel, ECmptCommand::DlCancel},   {kszCmdChooseDir, ECmptCommand::ChooseDir},
        {kszCmdMsgBox, ECmptCommand::MsgBox},
    };
    if (!lpszWord)
        return ECmptCommand::Unknown;
    for (const auto& row : s_table)
    {
        if (boAnsiEqualNoCase(lpszWord, row.lpszWord))
            return row.eCommand;
    }
    return ECmptCommand::Unknown;
}

int32_t lGetNumber(const CParamList& list, const char* lpszKey)
{
    return lParseDecimal(list.lpszGetValue(lpszKey));
}

char* lpszFormatNumber(uint32_t dwValue, char* lpszOut, size_t n)
{
    if (n > 0)
        std::snprintf(lpszOut, n, "%ld", static_cast<long>(static_cast<int32_t>(dwValue)));
    return lpszOut;
}

} // namespace CommonOB
