// Exceptions of the socket layer (codes 3101-3111).
#pragma once

#include <cstdint>

#include "ExceptionBase.h"

namespace FdNet
{

enum ENetAsyncError : uint32_t
{
    NetAsync_CantStartWSA = 3101,
    NetAsync_BufferOverRun = 3102,
    NetAsync_BufferInsertionFailed = 3103,
    NetAsync_IncompleteSend = 3104,
    NetClient_AsyncSelectFailed = 3105,
    NetAsync_InvalidWindowHandler = 3106,
    NetAsync_AlreadyConnected = 3107,
    NetAsync_AlreadyListening = 3108,
    NetAsync_ListenFailed = 3109,
    NetServer_BindAddrInUse = 3110,
    NetAsync_SocketCreationError = 3111,
};

class CNetAsyncException : public FdBase::CExceptionBase
{
public:
    using FdBase::CExceptionBase::CExceptionBase;

    const char* lpszGetClassName() const override { return "CNetAsyncException"; }
    const FdBase::SErrorTableRow* lpGetErrorTable() const override;

    // The socket layer's table, rows in their fixed order, ended by a zero row.
    static const FdBase::SErrorTableRow* lpGetTable();
};

// Throws the code from `lpszFunction`, with the socket error that caused it (0 when none).
[[noreturn]] void vThrowNetAsync(uint32_t dwCode, const char* lpszFunction, uint32_t dwLine,
                                 uint32_t dwWin32Error = 0);

} // namespace FdNet
