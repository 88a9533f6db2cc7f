#include "Envelope.h"

#include "Base64.h"
#include "CryptoCodes.h"
#include "EnvelopeOpener.h"
#include "Wipe.h"

#include <algorithm>
#include <cstdio>

namespace FdCrypto
{
namespace
{

constexpr size_t kTextRoom = 128;

uint32_t dwLoadLittleEndian(const uint8_t* p)
{
    return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

CSecurityStatus Fail(uint32_t code, const std::string& text)
{
    CSecurityStatus status;
    status.dwCode = code;
    status.text = text;
    return status;
}

CSecurityStatus FailLength(const char* format, uint32_t field, size_t dataSize)
{
    char text[kTextRoom];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(field), static_cast<unsigned>(dataSize));
    return Fail(kSecBadLength, text);
}

void vDiscard(std::vector<uint8_t>& plain)
{
    if (!plain.empty())
        vSecureWipe(plain.data(), plain.size());
    plain.clear();
}

} // namespace

std::string FormatLibError(long libCode)
{
    char text[kTextRoom];
    std::snprintf(text, sizeof text, "Code d'erreur lib cryptage:%ld", libCode);
    return text;
}

CSecurityStatus OpenEnvelope(const uint8_t* data, size_t size, const CKeyRecord& key,
                             std::vector<uint8_t>& plain)
{
    vDiscard(plain);
    static const char kRemText[] = "dwRem=%.8X, dwCryptedDataSize=%.8X";
    static const char kKeyLenText[] = "encryptedKeyLen=%.8X, dwCryptedDataSize=%.8X";
    if (size < kTrailerSize)
        return FailLength(kRemText, 0, size);

    const uint8_t letter = data[size - 1];
    const uint8_t flag = data[size - 2];
    size_t n = size - kTrailerSize;
    std::vector<uint8_t> decoded;
    const uint8_t* env = data;
    if (flag == kBase64Flag)
    {
        const long lib = lBase64Decode(reinterpret_cast<const char*>(data), n, decoded);
        if (lib != kLibOk)
            return Fail(kSecBadKeyText, FormatLibError(lib));
        env = decoded.data();
        n = decoded.size();
    }

    // R, the vector and K must all be there besides the filler.
    const uint32_t rem = n >= kLengthFieldSize ? dwLoadLittleEndian(env + n - kLengthFieldSize) : 0;
    if (n < kFixedTail || rem > n - kFixedTail)
        return FailLength(kRemText, rem, n);
    const size_t ivPos = n - kLengthFieldSize - rem - kIvSize;
    const size_t beforeK = ivPos - kLengthFieldSize;
    const uint32_t encKeyLen = dwLoadLittleEndian(env + beforeK);
    // At least one content byte stays before the encrypted key.
    if (encKeyLen >= beforeK)
        return FailLength(kKeyLenText, encKeyLen, n);
    const size_t keyPos = beforeK - encKeyLen;

    CEnvelopeOpener opener;
    long lib = opener.lOpenInit(eAlgorithmFromLetter(letter), env + keyPos, encKeyLen, env + ivPos, key);
    if (lib != kLibOk)
        return Fail(kSecSessionKey, FormatLibError(lib));

    // The plain text is never longer than the content.
    plain.resize(keyPos);
    size_t updateLen = 0;
    size_t finalLen = 0;
    opener.vOpenUpdate(env, keyPos, plain.data(), &updateLen);
    lib = opener.lOpenFinal(plain.data() + updateLen, &finalLen);
    if (lib != kLibOk)
    {
        vDiscard(plain);
        return Fail(kSecFinalBlock, FormatLibError(lib));
    }
    plain.resize(updateLen + finalLen);
    return CSecurityStatus();
}

CSecurityStatus DecodeKeyText(const char* text, size_t len, CKeyRecord& record)
{
    std::vector<uint8_t> decoded;
    const long lib = lBase64Decode(text, len, decoded);
    // A text of any other length would not fit the record, or leave part of it stale.
    const bool fits = lib == kLibOk && decoded.size() == kKeyRecordSize;
    if (!decoded.empty())
    {
        if (fits)
            std::copy(decoded.begin(), decoded.end(), record.bytes.begin());
        vSecureWipe(decoded.data(), decoded.size());
    }
    if (!fits)
        return Fail(kSecBadKeyText, FormatLibError(kLibBadEncoding));
    return CSecurityStatus();
}

} // namespace FdCrypto
