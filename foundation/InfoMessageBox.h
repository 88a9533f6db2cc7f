#pragma once

namespace FdLib
{

// Formats at most 1024 characters and shows them in a box captioned "Informations"
// (through the program's modal-box seam). Returns the box's answer.
int iInfoMessageBox(const char* lpszFormat, ...);

} // namespace FdLib
