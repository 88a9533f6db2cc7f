// A font description read from a device context.
#pragma once

#include <windows.h>

#include "HtmlFontDesc.h"

// The description of the font selected in hdc (face at most 50 characters).
FontDesc FontDescFromDC(HDC hdc);
