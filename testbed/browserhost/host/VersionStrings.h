// Texts of a module's version resource ("MIMEType", "FileExtents"...),
// read without loading the module.
#pragma once

#include <string>

namespace FdBrowserHost
{
// The value in the first language of the resource (else US English in
// code pages 1252 and 1200); "" when the file or the value is missing.
std::string strVersionString(const std::string& path, const char* pszName);
} // namespace FdBrowserHost
