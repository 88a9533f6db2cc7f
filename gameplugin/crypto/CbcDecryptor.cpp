#include "CbcDecryptor.h"

#include "Wipe.h"

namespace FdCrypto
{
namespace
{

constexpr size_t kEdeKeyLength = 3 * kDesKeySize;

void vLoadBlock(const uint8_t* p, uint32_t w[2])
{
    w[0] = dwLoadBigEndian(p);
    w[1] = dwLoadBigEndian(p + 4);
}

} // namespace

ECipherAlgorithm eAlgorithmFromLetter(uint8_t letter)
{
    switch (letter)
    {
    case 'B':
        return ECipherAlgorithm::Des;
    case 'D':
        return ECipherAlgorithm::DesEde2;
    case 'C':
        return ECipherAlgorithm::Desx;
    default:
        return ECipherAlgorithm::DesEde3;
    }
}

size_t ulSessionKeyLength(ECipherAlgorithm algorithm)
{
    return algorithm == ECipherAlgorithm::Des ? kDesKeySize : kEdeKeyLength;
}

void CCbcDecryptor::vInit(ECipherAlgorithm algorithm, const uint8_t* key, const uint8_t iv[kDesBlockSize])
{
    vWipe();
    m_algorithm = algorithm;
    switch (algorithm)
    {
    case ECipherAlgorithm::Des:
        m_k1.vSet(key, EDesDirection::Decrypt);
        break;
    case ECipherAlgorithm::Desx:
        m_k1.vSet(key, EDesDirection::Decrypt);
        vLoadBlock(key + kDesKeySize, m_inWhitener);
        vLoadBlock(key + 2 * kDesKeySize, m_outWhitener);
        break;
    case ECipherAlgorithm::DesEde2:
    case ECipherAlgorithm::DesEde3:
        // Decryption undoes E_K3(D_K2(E_K1(x))): D_K3, then E_K2, then D_K1.
        m_k1.vSet(key + 2 * kDesKeySize, EDesDirection::Decrypt);
        m_k2.vSet(key + kDesKeySize, EDesDirection::Encrypt);
        m_k3.vSet(key, EDesDirection::Decrypt);
        break;
    }
    vLoadBlock(iv, m_iv);
    vRestart();
}

void CCbcDecryptor::vDecryptBlock(uint8_t block[kDesBlockSize])
{
    uint32_t cipher[2];
    vLoadBlock(block, cipher);
    uint32_t l = cipher[0];
    uint32_t r = cipher[1];
    if (m_algorithm == ECipherAlgorithm::Desx)
    {
        l ^= m_outWhitener[0];
        r ^= m_outWhitener[1];
    }
    m_k1.vCryptBlock(l, r);
    if (m_algorithm == ECipherAlgorithm::DesEde2 || m_algorithm == ECipherAlgorithm::DesEde3)
    {
        m_k2.vCryptBlock(l, r);
        m_k3.vCryptBlock(l, r);
    }
    if (m_algorithm == ECipherAlgorithm::Desx)
    {
        l ^= m_inWhitener[0];
        r ^= m_inWhitener[1];
    }
    l ^= m_chain[0];
    r ^= m_chain[1];
    m_chain[0] = cipher[0];
    m_chain[1] = cipher[1];
    vStoreBigEndian(l, block);
    vStoreBigEndian(r, block + 4);
}

void CCbcDecryptor::vRestart()
{
    m_chain[0] = m_iv[0];
    m_chain[1] = m_iv[1];
}

void CCbcDecryptor::vWipe()
{
    m_k1.vWipe();
    m_k2.vWipe();
    m_k3.vWipe();
    vSecureWipe(m_inWhitener, sizeof m_inWhitener);
    vSecureWipe(m_outWhitener, sizeof m_outWhitener);
    vSecureWipe(m_iv, sizeof m_iv);
    vSecureWipe(m_chain, sizeof m_chain);
}

} // namespace FdCrypto
