#pragma once
// The COM classes npfdg.dll serves: the ActiveX control and its registration.
#include "FdComModule.h"

namespace AxModule
{
// The control's class and its registry values; the module's type library.
const FdCom::SServerInfo& info();
} // namespace AxModule
