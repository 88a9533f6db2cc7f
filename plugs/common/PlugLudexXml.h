// The XML document object a launch plug gets from its container.
#pragma once

#include <windows.h>

#include "ComRef.h"
#include "LudexLib.h"

// GetLudexObject("LudexXml") on the container, as ILudexXml, with the observer set
// when one is given and "str" as default protocol (documents loaded from text).
// Null when the container gives none.
FdWin::TComRef<ILudexXml> lpGetLudexXml(ILudexPlugContainer* container, ILudexXmlObserver* observer);
