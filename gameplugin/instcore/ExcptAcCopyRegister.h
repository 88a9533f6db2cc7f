#pragma once
// Exceptions of the page action that installs a component package (codes 5101 to 5105).
#include "ExceptionBase.h"

#include <cstdint>

constexpr uint32_t kAcCopyCantDecompressCmpt = 5101;
constexpr uint32_t kAcCopyCantRegisterCmpt = 5102;
constexpr uint32_t kAcCopyCantOpenRegistryKey = 5103;
constexpr uint32_t kAcCopyCantModifyRegistry = 5104;
constexpr uint32_t kAcCopyCantCreateSubdir = 5105;

class CExcptAcCopyRegister : public FdBase::CExceptionBase
{
public:
    using FdBase::CExceptionBase::CExceptionBase;

    const char* lpszGetClassName() const override;
    const FdBase::SErrorTableRow* lpGetErrorTable() const override;
};
