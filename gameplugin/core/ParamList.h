#pragma once
// CParamList: the plug-in's carrier of named parameters. An ordered list of
// name/value text pairs with a separator text ("$$" in page action buffers, "££"
// everywhere else) that parses separated buffers and serialises back into them.
//
// Forward buffer:  name SEP value SEP name SEP value SEP ...
// Backward buffer: [payload] SEP "eop" SEP "cmd" SEP value SEP name ... (the last
//                  pair nearest the end); read from the last byte towards the start.
//
// Names are compared without regard to case; duplicates are kept and every lookup
// takes the first pair of that name in list order. A name or value added from a
// null text stays null.
#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>

class CParamPair
{
public:
    CParamPair(const char* lpszName, const char* lpszValue);

    const char* lpszGetName() const { return m_strName ? m_strName->c_str() : nullptr; }
    const char* lpszGetValue() const { return m_strValue ? m_strValue->c_str() : nullptr; }
    uint32_t dwGetHidden() const { return m_dwHidden; }
    void vSetHidden(uint32_t dwHidden) { m_dwHidden = dwHidden; }

private:
    std::optional<std::string> m_strName;
    std::optional<std::string> m_strValue;
    uint32_t m_dwHidden = 0; // 0 = shown in serialisations
};

class CParamList
{
public:
    // Separators of the plug-in's two kinds of list (code page 1252 bytes).
    static constexpr const char* kszActionSeparator = "$$";
    static constexpr const char* kszSeparator = "\xA3\xA3"; // "££"
    // The pair that ends a parse with the end-marker stop (names compared without case).
    static constexpr const char* kszEndName = "cmd";
    static constexpr const char* kszEndValue = "eop";

    explicit CParamList(const char* lpszSeparator);
    CParamList(const CParamList& other); // pairs, hidden flags, serialised text, cursor
    CParamList& operator=(const CParamList& other);
    ~CParamList() = default;

    void vSetSeparator(const char* lpszSeparator); // null: no separator
    const char* lpszGetSeparator() const { return m_strSeparator ? m_strSeparator->c_str() : nullptr; }
    uint32_t dwGetCount() const { return m_dwCount; }

    // Empties the list; separator, serialised text and parse stop stay.
    void vClear();
    // Appends copies of the texts (null stays null), shown; the cursor goes to the
    // new pair when the list was empty.
    void vAdd(const char* lpszName, const char* lpszValue, CParamPair** lppPair = nullptr);
#ifdef _WIN32
    // Wide (BSTR) form: each text is converted to an owned ANSI copy first.
    void vAdd(const wchar_t* lpwszName, const wchar_t* lpwszValue, CParamPair** lppPair = nullptr);
#endif
    // Removes the first pair of that name; false when there is none. A cursor on
    // the removed pair moves to the following one.
    bool boRemove(const char* lpszName);
    // Value of the first pair of that name (owned by the list), or null.
    const char* lpszGetValue(const char* lpszName) const;
    bool boSetHidden(const char* lpszName, uint32_t dwHidden);
    void vSetAllHidden(uint32_t dwHidden);

    // Cursor walk: vSetCursor(0), then lpGetNext until it returns null. An index
    // at or beyond the count leaves the cursor where it was.
    void vSetCursor(uint32_t dwIndex);
    CParamPair* lpGetNext();

    // Adds the pairs read from buffer[0, length); reading never passes the length
    // nor a NUL byte.
    //  - forward without end marker: the separators are counted first; an odd or
    //    zero count fails with nothing added;
    //  - with end marker (either direction): reads until the pair cmd=eop has been
    //    added (it stays in the list); a buffer that ends first fails with nothing added.
    //  - backward: reads from the last byte towards the start (end marker implied).
    // The list keeps its pairs on failure. A list without separator never parses.
    bool boParse(const char* lpBuffer, size_t ulLength, bool boStopAtEnd, bool boBackwards);
    // Where the last successful parse stopped, as an offset from the buffer start:
    // forward, just after the last separator consumed; backward, the number of
    // bytes ahead of the parameter block (the payload's length).
    size_t ulGetParseStop() const
    {
        return m_ulParseStop;
    }

    // Text of the shown pairs: "name SEP value SEP" each, or "SEP value SEP name"
    // when reversed. Owned by the list, valid until the next call or the list's end.
    const char* lpszSerialize(bool boReversed);

private:
    using PairList = std::list<CParamPair>;

    PairList::iterator itFind(const char* lpszName);
    PairList::const_iterator itFind(const char* lpszName) const;
    bool boParseForward(const char* lpBuffer, size_t ulLength, bool boStopAtEnd);
    bool boParseBackward(const char* lpBuffer, size_t ulLength);
    void vAppendAll(PairList& pairs);

    std::optional<std::string> m_strSeparator;
    uint32_t m_dwCount = 0;
    PairList m_pairs;
    std::optional<std::string> m_strSerialized;
    PairList::iterator m_itCursor; // m_pairs.end(): at the end
    size_t m_ulParseStop = 0;
};

// Number of non-overlapping occurrences of the separator in text[0, length).
uint32_t dwCountOccurrences(const char* lpText, size_t ulLength, const char* lpSep, size_t ulSepLength);
