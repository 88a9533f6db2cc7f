#pragma once
// Exceptions of the plug-in's install checks (codes 5001 to 5004).
#include "ExceptionBase.h"

#include <cstdint>

constexpr uint32_t kCheckOBNotInstalled = 5001;
constexpr uint32_t kCheckOBCantReadRegistryKey = 5002;
constexpr uint32_t kCheckOBCantReadRegistryData = 5003;
constexpr uint32_t kCheckOBCantChangeDir = 5004;

class CExcptCheckOB : public FdBase::CExceptionBase
{
public:
    using FdBase::CExceptionBase::CExceptionBase;

    const char* lpszGetClassName() const override;
    const FdBase::SErrorTableRow* lpGetErrorTable() const override;
};
