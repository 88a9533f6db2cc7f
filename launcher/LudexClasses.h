// The launcher's class table: every class it serves and registers.
#pragma once

#include "FdComModule.h"

namespace Ludex
{
// The table, the AppID and the type library.
const FdCom::SServerInfo& ServerInfo();
} // namespace Ludex
