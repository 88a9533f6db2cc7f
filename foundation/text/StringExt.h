// CStringExt: the byte string shared by the launcher, the XML library and the plugs.
// Text is in the machine's ANSI code page. The members below the _WIN32 guard convert
// to and from wide text and are defined in the Windows library only.
#pragma once

#include <cstdint>
#include <string>

class CStringExt : public std::string
{
public:
    using std::string::string;
    CStringExt() = default;
    CStringExt(const std::string& s) : std::string(s) {}
    CStringExt(std::string&& s) : std::string(std::move(s)) {}

    CStringExt Left(int32_t n) const;
    CStringExt Mid(int32_t p) const;
    // n = -1 takes the rest of the string.
    CStringExt MidN(int32_t p, int32_t n) const;
    CStringExt Right(int32_t n) const;
    // The part before the first character of set; the whole string when none occurs.
    CStringExt SpanExcluding(const char* set) const;

    void TrimLeft();
    void TrimRight();
    void MakeUpper();
    void MakeLower();

    // Searches text from one place after index (index 0 searches from the start);
    // returns the position or -1.
    int32_t FindNext(const char* text, int32_t index) const;

#ifdef _WIN32
    // A pointer whose high 16 bits are zero is a string-resource id of the program.
    explicit CStringExt(const wchar_t* wide);

#pragma push_macro("LoadString")
#undef LoadString
    // Loads a string resource of the program module; false when it does not exist.
    bool LoadString(uint32_t id);
    // windows.h renames LoadString to LoadStringA in code that includes it.
    bool LoadStringA(uint32_t id)
    {
        return LoadString(id);
    }
#pragma pop_macro("LoadString")

    // Stores the text as a BSTR in *out (re-allocating it); throws std::runtime_error
    // "out of memory" when the BSTR cannot be allocated. Returns the new BSTR.
    wchar_t* SetSysString(wchar_t** out) const;
#endif
};
