#pragma once
// The toolkit's three steps that open a digital envelope: recover the session key,
// decrypt the content, check and strip the PKCS #5 padding of the last block.
#include "CbcDecryptor.h"
#include "KeyRecord.h"

#include <cstddef>
#include <cstdint>

namespace FdCrypto
{

class CEnvelopeOpener
{
public:
    // Session-key step: decrypts `encKey` with the private key and prepares the cipher.
    // Returns kLibOk, kLibKeyTooLong (more than 64 bytes) or kLibBadSessionKey.
    long lOpenInit(ECipherAlgorithm algorithm, const uint8_t* encKey, size_t encKeyLen,
                   const uint8_t iv[kDesBlockSize], const CKeyRecord& key);
    // The same from a plain session key: kLibOk, or kLibBadSessionKey on a wrong length.
    long lInitWithSessionKey(ECipherAlgorithm algorithm, const uint8_t* sessionKey, size_t len,
                             const uint8_t iv[kDesBlockSize]);
    // Content step: decrypts every block but keeps the last 1 to 8 bytes back. Writes
    // fewer bytes to `out` than `len` plus the bytes kept back by an earlier call.
    void vOpenUpdate(const uint8_t* in, size_t len, uint8_t* out, size_t* outLen);
    // Final step: writes the last 0 to 7 plain bytes; kLibOk or kLibBadFinalBlock.
    long lOpenFinal(uint8_t* out, size_t* outLen);

private:
    void vClearKept();

    CCbcDecryptor m_cipher;
    uint8_t m_kept[kDesBlockSize] = {};
    size_t m_keptLen = 0;
};

} // namespace FdCrypto
