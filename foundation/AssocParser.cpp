#include "AssocParser.h"

#include <cstring>

#include "HexDigits.h"

namespace FdMisc
{

namespace
{

const FdBase::SErrorTextRow kAssocErrors[] = {
    {CAssocParser::kErrBadHexLength,
     "Taille d'association non valide (format du nombre hexadécimal invalide."},
    {CAssocParser::kErrUnexpectedEnd, "Unexpected End Of Message."},
    {CAssocParser::kErrLengthPastEnd, "Taille d'association non valide (dépassement de fin de message)."},
    {CAssocParser::kErrBadEndChar, "Caractère de fin d'association non valide."},
    {CAssocParser::kErrNoSeparator,
     "Impossible de trouver le caractère de séparation entre le nom d'une variable et sa valeur."},
    {CAssocParser::kErrEncodeBufferTooSmall, "Problème à l'encodage d'une association : buffer trop petit."},
    {CAssocParser::kErrMessageTooBig, "Message trop grand pour la taille de buffer actuelle."},
};

} // namespace

CAssocParser::CAssocParser(int iMode) : m_iMode(iMode)
{
    m_error.vAttach(kAssocErrors, sizeof(kAssocErrors) / sizeof(kAssocErrors[0]));
}

void CAssocParser::vSetMessage(const void* lpStart, uint32_t dwLength)
{
    m_lpStart = static_cast<const uint8_t*>(lpStart);
    m_dwLength = m_lpStart ? dwLength : 0;
    m_dwConsumed = 0;
    m_error.vReset();
}

int CAssocParser::iFail(uint32_t dwCode)
{
    m_error.lpszSelect(dwCode);
    return kError;
}

int CAssocParser::iGetNext(const char** lplpName, uint32_t* lpdwNameLen, const char** lplpValue,
                           uint32_t* lpdwValueLen)
{
    if (m_error.boIsSet())
        return kError;
    if (m_dwConsumed >= m_dwLength)
        return kEnd;

    const uint32_t left = m_dwLength - m_dwConsumed;
    if (left < kLengthBytes)
        return iFail(kErrUnexpectedEnd);
    const uint8_t* p = m_lpStart + m_dwConsumed;

    uint32_t nameLen = 0, valueOffset = 0, valueLen = 0, body = 0;
    if (m_iMode == kText)
    {
        uint32_t l = 0;
        for (uint32_t i = 0; i < kLengthBytes; ++i)
        {
            const int d = FdText::HexDigitValue(p[i]);
            if (d < 0)
                return iFail(kErrBadHexLength);
            l = (l << 4) | (uint32_t)d;
        }
        // The length field is read: it counts as consumed from here on.
        m_dwConsumed += kLengthBytes;
        p += kLengthBytes;
        if (l > left - kLengthBytes)
            return iFail(kErrLengthPastEnd);
        // "=" must leave room for the end character behind it, so the value length is never negative.
        const void* eq = l >= 2 ? std::memchr(p, '=', l - 1) : nullptr;
        if (!eq)
            return iFail(kErrNoSeparator);
        nameLen = (uint32_t)(static_cast<const uint8_t*>(eq) - p);
        valueOffset = nameLen + 1;
        valueLen = l - nameLen - 2;
        body = l;
    }
    else
    {
        const uint32_t word =
            (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
        const uint32_t n = word >> 24;
        const uint32_t v = word & 0x00FFFFFFu;
        m_dwConsumed += kLengthBytes;
        p += kLengthBytes;
        if (n == 0)
            return iFail(kErrNoSeparator);
        if (v == 0 || (uint64_t)n + v > left - kLengthBytes)
            return iFail(kErrLengthPastEnd);
        nameLen = n - 1;
        valueOffset = n;
        valueLen = v - 1;
        body = n + v;
    }

    *lplpName = reinterpret_cast<const char*>(p);
    *lpdwNameLen = nameLen;
    *lplpValue = reinterpret_cast<const char*>(p + valueOffset);
    *lpdwValueLen = valueLen;
    m_dwConsumed += body;
    return kRecord;
}

} // namespace FdMisc
