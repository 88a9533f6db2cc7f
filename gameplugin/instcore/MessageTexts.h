#pragma once
// The instance's six message texts. A page may replace the whole set with its
// "resources" attribute (key££text££... pairs); texts used as formats are taken
// from the page only when their conversions are exactly the expected "%s".
#include <cstddef>
#include <string>

class CParamList;

namespace MessageTexts
{

constexpr const char* kszDlCmpt = "dlcmpt";     // status line while a component package downloads
constexpr const char* kszErrTitle = "errtitle"; // title of error boxes
constexpr const char* kszErrExpnd = "errexpnd"; // expansion failure box: file, program
constexpr const char* kszInstCmpt = "instcmpt"; // question before installing a component: application
constexpr const char* kszInfTitle = "inftitle"; // title of that question
constexpr const char* kszNotInst = "notinst";   // suite-not-installed text

// Fills the list with the six keys and their default texts, in table order.
void vAddDefaults(CParamList& list);
// The default text of a key, or null for an unknown key.
const char* lpszDefault(const char* lpszKey);
// Number of "%s" that the text of the key is formatted with (0: not a format).
unsigned uFormatArguments(const char* lpszKey);

// True when every conversion of the text is "%s" (a "%%" stands for "%") and there
// are exactly `uExpected` of them.
bool boHasOnlyStringConversions(const char* lpszText, unsigned uExpected);

// The text of the key: the list's value when present and fit for its use, else the
// default.
const char* lpszGet(const CParamList& list, const char* lpszKey);

// Replaces each "%s" of a checked format by the next argument in turn and "%%" by
// "%"; the result is cut to ulMax characters.
std::string strFormat(const char* lpszFormat, const char* const* lpaszArgs, size_t ulArgs, size_t ulMax);

} // namespace MessageTexts
