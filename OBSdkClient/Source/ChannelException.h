// Exceptions of the hub client library (codes 3001-3007): channel errors and
// the errors of the connection to the hub.
#pragma once

#include <cstdint>

#include "ExceptionBase.h"

namespace OBSdkClient
{

enum EChannelError : uint32_t
{
    Channel_CantChangeDestId = 3001,
    Channel_CantSetAutoCnxParamters = 3002,
    Channel_AutoCnxParametersChangeNotAllowed = 3003,
    ServerCnx_CantConnect = 3004,
    LPCCnx_Timeout = 3005,
    LPCCnx_CantConnect = 3006,
    LPCCnx_UnexpectedState = 3007,
};

class CChannelException : public FdBase::CExceptionBase
{
public:
    using FdBase::CExceptionBase::CExceptionBase;

    const char* lpszGetClassName() const override { return "CChannelException"; }
    const FdBase::SErrorTableRow* lpGetErrorTable() const override;

    // The channel table, rows 3001-3007 in order, ended by a zero row.
    static const FdBase::SErrorTableRow* lpGetTable();
};

// Throws the code from `lpszFunction` of source file `lpszFile`.
[[noreturn]] void vThrowChannel(uint32_t dwCode, const char* lpszFunction, const char* lpszFile,
                                uint32_t dwLine);

} // namespace OBSdkClient
