#pragma once
// Error holder of the parsers: a table of (code, text) pairs and the current error.
#include <cstddef>
#include <cstdint>

namespace FdBase
{

struct SErrorTextRow
{
    uint32_t dwCode;
    const char* lpszText;
};

class CErrorText
{
public:
    static constexpr size_t kTextMax = 2048; // characters kept of the current text

    CErrorText() = default;
    // Borrows the table; it must outlive this holder.
    void vAttach(const SErrorTextRow* lpRows, size_t ulRows);

    // Makes `dwCode` current and copies its text; null (and no change) when the table lacks it.
    const char* lpszSelect(uint32_t dwCode);
    // Back to no error: code 0, empty text.
    void vReset();

    uint32_t dwGetCode() const { return m_dwCode; }
    const char* lpszGetText() const { return m_szText; }
    bool boIsSet() const { return m_dwCode != 0; }

private:
    const SErrorTextRow* m_lpRows = nullptr;
    size_t m_ulRows = 0;
    uint32_t m_dwCode = 0;
    char m_szText[kTextMax + 1] = {};
};

} // namespace FdBase
