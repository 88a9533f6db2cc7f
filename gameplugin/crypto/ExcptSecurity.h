#pragma once
// Exceptions of CSecurity (codes 5151 to 5163).
#include "ExceptionBase.h"

class CExcptSecurity : public FdBase::CExceptionBase
{
public:
    using FdBase::CExceptionBase::CExceptionBase;

    const char* lpszGetClassName() const override;
    const FdBase::SErrorTableRow* lpGetErrorTable() const override;
};
