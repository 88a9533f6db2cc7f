#pragma once
// Exceptions of a component launch (codes 5051 to 5057): the component is not
// installed, not readable in the registry, too old, or cannot be created.
#include "ExceptionBase.h"

#include <cstdint>

constexpr uint32_t kLaunchAppNotInstalled = 5051; // the application key does not exist
constexpr uint32_t kLaunchCantOpenKey = 5052;     // the key cannot be opened for another reason
constexpr uint32_t kLaunchCantReadClsid = 5053;   // value "CLSID" unreadable
constexpr uint32_t kLaunchBadClsid = 5054;        // the class id text is not valid
constexpr uint32_t kLaunchCantReadVersion = 5055; // neither "VersionEx" nor "Version"
constexpr uint32_t kLaunchVersionTooOld = 5056;   // installed version older than required
constexpr uint32_t kLaunchCantCreate = 5057;      // the component cannot be created

class CExcptLaunchedApp : public FdBase::CExceptionBase
{
public:
    using FdBase::CExceptionBase::CExceptionBase;

    const char* lpszGetClassName() const override;
    const FdBase::SErrorTableRow* lpGetErrorTable() const override;
};
