#pragma once
// Reader of association messages: length-prefixed records "name=value" plus one end
// character. Text mode: 4 hexadecimal digits give the body length. Binary mode: a
// little-endian u32 whose high byte is N (name + "=") and low 24 bits V (value + end).
#include <cstdint>

#include "ErrorText.h"

namespace FdMisc
{

class CAssocParser
{
public:
    enum EMode : int
    {
        kText = 0,
        kBinary = 1
    };
    enum EResult : int
    {
        kRecord = 0,
        kEnd = 1,
        kError = 2
    };
    enum EError : uint32_t
    {
        kErrBadHexLength = 26000,
        kErrUnexpectedEnd = 26001,
        kErrLengthPastEnd = 26002,
        kErrBadEndChar = 26003,
        kErrNoSeparator = 26004,
        kErrEncodeBufferTooSmall = 26005,
        kErrMessageTooBig = 26006
    };
    static constexpr uint32_t kLengthBytes = 4;

    explicit CAssocParser(int iMode);
    CAssocParser(const CAssocParser&) = delete;
    CAssocParser& operator=(const CAssocParser&) = delete;

    // Borrows the message; clears the consumed count and the error.
    void vSetMessage(const void* lpStart, uint32_t dwLength);
    // kRecord: name and value point into the message (not NUL-terminated).
    // kEnd: every byte was read. kError: GetError() tells which; the cursor stays at the
    // failing record (past its 4 length bytes once they were read) and every later call
    // answers kError until the next vSetMessage.
    int iGetNext(const char** lplpName, uint32_t* lpdwNameLen, const char** lplpValue,
                 uint32_t* lpdwValueLen);

    const FdBase::CErrorText& GetError() const { return m_error; }
    // Bytes read so far, length fields included.
    uint32_t ulGetConsumed() const { return m_dwConsumed; }
    int iGetMode() const { return m_iMode; }

private:
    int iFail(uint32_t dwCode);

    int m_iMode;
    const uint8_t* m_lpStart = nullptr;
    uint32_t m_dwLength = 0;
    uint32_t m_dwConsumed = 0; // the cursor is m_lpStart + m_dwConsumed
    FdBase::CErrorText m_error;
};

} // namespace FdMisc
