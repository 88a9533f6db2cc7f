#include "EnvelopeOpener.h"

#include "CryptoCodes.h"
#include "RsaDecrypt.h"
#include "Wipe.h"

#include <cstring>

namespace FdCrypto
{
namespace
{

struct SSessionKey
{
    uint8_t bytes[kMaxModulusLen] = {};
    size_t len = 0;
    ~SSessionKey() { vSecureWipe(bytes, sizeof bytes); }
};

} // namespace

long CEnvelopeOpener::lOpenInit(ECipherAlgorithm algorithm, const uint8_t* encKey, size_t encKeyLen,
                                const uint8_t iv[kDesBlockSize], const CKeyRecord& key)
{
    if (encKeyLen > kMaxModulusLen)
        return kLibKeyTooLong;
    SSessionKey session;
    if (!boRsaPrivateDecrypt(session.bytes, &session.len, encKey, encKeyLen, key))
        return kLibBadSessionKey;
    return lInitWithSessionKey(algorithm, session.bytes, session.len, iv);
}

long CEnvelopeOpener::lInitWithSessionKey(ECipherAlgorithm algorithm, const uint8_t* sessionKey, size_t len,
                                          const uint8_t iv[kDesBlockSize])
{
    if (len != ulSessionKeyLength(algorithm))
        return kLibBadSessionKey;
    m_cipher.vInit(algorithm, sessionKey, iv);
    vClearKept();
    return kLibOk;
}

void CEnvelopeOpener::vOpenUpdate(const uint8_t* in, size_t len, uint8_t* out, size_t* outLen)
{
    *outLen = 0;
    if (m_keptLen + len <= kDesBlockSize)
    {
        std::memcpy(m_kept + m_keptLen, in, len);
        m_keptLen += len;
        return;
    }
    // More than a block is there: complete and decrypt the kept block first.
    const size_t fill = kDesBlockSize - m_keptLen;
    std::memcpy(m_kept + m_keptLen, in, fill);
    in += fill;
    len -= fill;
    m_cipher.vDecryptBlock(m_kept);
    std::memcpy(out, m_kept, kDesBlockSize);
    *outLen = kDesBlockSize;
    // At least one byte is left; keep the last 1 to 8 back.
    while (len > kDesBlockSize)
    {
        std::memcpy(out + *outLen, in, kDesBlockSize);
        m_cipher.vDecryptBlock(out + *outLen);
        *outLen += kDesBlockSize;
        in += kDesBlockSize;
        len -= kDesBlockSize;
    }
    vClearKept();
    std::memcpy(m_kept, in, len);
    m_keptLen = len;
}

long CEnvelopeOpener::lOpenFinal(uint8_t* out, size_t* outLen)
{
    *outLen = 0;
    long result = kLibBadFinalBlock;
    if (m_keptLen == kDesBlockSize)
    {
        m_cipher.vDecryptBlock(m_kept);
        const uint8_t pad = m_kept[kDesBlockSize - 1];
        bool valid = pad >= 1 && pad <= kDesBlockSize;
        for (size_t i = kDesBlockSize - (valid ? pad : 0); valid && i < kDesBlockSize; ++i)
            valid = m_kept[i] == pad;
        if (valid)
        {
            *outLen = kDesBlockSize - pad;
            std::memcpy(out, m_kept, *outLen);
            result = kLibOk;
        }
    }
    m_cipher.vRestart();
    vClearKept();
    return result;
}

void CEnvelopeOpener::vClearKept()
{
    vSecureWipe(m_kept, sizeof m_kept);
    m_keptLen = 0;
}

} // namespace FdCrypto
