#pragma once
// The chooser library's texts, French and English, and the choice between them.
#include <cstddef>

namespace FdNav
{
enum ETextId : size_t
{
    kTextTitle = 0,
    kTextMessage,
    kTextAdd,
    kTextRemove,
    kTextQuit,
    kTextOk,
    kTextColumnBrowser,
    kTextColumnPath,
    kTextCloseMessage,
    kTextCloseCaption,
    kTextCount
};

// True for "U.S. English" in any letter case (a null text is French).
bool boEnglish(const char* lpszLanguage);
// One text of the table; an index past the table gives "".
const char* lpszText(bool boEnglishTexts, size_t ulId);
} // namespace FdNav
