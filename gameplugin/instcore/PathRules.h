#pragma once
// Rules on paths that the plug-in receives: folders a user types into the
// folder chooser, and the install path that a page names for a component.
#include <cstddef>
#include <string>

namespace PathRules
{

constexpr size_t kPathMax = 260; // characters of a whole path
constexpr size_t kPartsMax = 32; // parts between "\"

// A folder path the user may choose. False when:
//  - it is empty or longer than 260 characters;
//  - it has more than 32 parts (a leading and a trailing "\" add none; "\\"
//    elsewhere adds an empty part);
//  - a part holding "." is made of dots only;
//  - a part's name before its first "." is a reserved device name (CON, PRN, AUX,
//    CLOCK$, NUL, COM1-COM9, LPT1-LPT9), in any case;
//  - it holds a control character or one of / * ? " < > |, or a ":" anywhere but
//    after a leading drive letter. Spaces are allowed.
bool bValidatePathName(const wchar_t* lpwszPath);

// A path that stays inside the folder it is appended to: not empty, no drive or
// ":" anywhere, no leading "\" or "/", no "..".
bool boIsSafeRelativePath(const char* lpszPath);

// The file name of a path: what follows its last "\" or "/".
std::string strFileNamePart(const std::string& strPath);

} // namespace PathRules
