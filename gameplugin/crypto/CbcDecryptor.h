#pragma once
// CBC decryption of whole 8-byte blocks for the four content algorithms.
#include "Des.h"

#include <cstddef>
#include <cstdint>

namespace FdCrypto
{

// The toolkit numbers its algorithms 1 to 4.
enum class ECipherAlgorithm
{
    Des = 1,     // 8-byte key
    DesEde2 = 2, // 24 bytes K1 K2 K3 with K3 = K1, opened like DesEde3
    DesEde3 = 3, // 24 bytes K1 K2 K3
    Desx = 4     // 24 bytes: key K, input whitener W1, output whitener W2
};

// The envelope's last byte: "B" DES, "D" two-key EDE, "C" DESX, anything else three-key EDE.
ECipherAlgorithm eAlgorithmFromLetter(uint8_t letter);
// Session-key length of an algorithm: 8 for DES, 24 for the others.
size_t ulSessionKeyLength(ECipherAlgorithm algorithm);

class CCbcDecryptor
{
public:
    CCbcDecryptor() = default;
    CCbcDecryptor(const CCbcDecryptor&) = delete;
    CCbcDecryptor& operator=(const CCbcDecryptor&) = delete;
    ~CCbcDecryptor() { vWipe(); }

    // `key` holds ulSessionKeyLength(algorithm) bytes. Sets the chaining value to `iv`.
    void vInit(ECipherAlgorithm algorithm, const uint8_t* key, const uint8_t iv[kDesBlockSize]);
    // Decrypts one block in place and chains it.
    void vDecryptBlock(uint8_t block[kDesBlockSize]);
    // Back to the initialisation vector, keeping the keys.
    void vRestart();
    void vWipe();

private:
    ECipherAlgorithm m_algorithm = ECipherAlgorithm::Des;
    CDesKeySchedule m_k1; // DES and DESX key; K3 (decrypting) for EDE
    CDesKeySchedule m_k2; // EDE only: K2 (encrypting)
    CDesKeySchedule m_k3; // EDE only: K1 (decrypting)
    uint32_t m_inWhitener[2] = {};
    uint32_t m_outWhitener[2] = {};
    uint32_t m_iv[2] = {};
    uint32_t m_chain[2] = {};
};

} // namespace FdCrypto
