#include "EnvelopeSealer.h"

#include "BigNum.h"
#include "Des.h"
#include "Envelope.h"

#include <random>
#include <stdexcept>

namespace EnvelopeSealer
{
namespace
{
constexpr size_t kBlock = FdCrypto::kDesBlockSize;
constexpr size_t kMinPadding = 8;

std::string strBase64(const std::string& in)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < in.size(); i += 3)
    {
        uint32_t v = static_cast<uint8_t>(in[i]) << 16;
        if (i + 1 < in.size())
            v |= static_cast<uint8_t>(in[i + 1]) << 8;
        if (i + 2 < in.size())
            v |= static_cast<uint8_t>(in[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < in.size() ? kAlphabet[(v >> 6) & 63] : '=';
        out += i + 2 < in.size() ? kAlphabet[v & 63] : '=';
    }
    return out;
}

void vAppendLe32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string strRsaEncrypt(const std::vector<uint8_t>& sessionKey, const FdCrypto::CKeyRecord& key,
                          std::mt19937& rng)
{
    const size_t k = (key.dwModulusBits() + 7) / 8;
    std::vector<uint8_t> block(k, 0);
    block[1] = 2;
    const size_t ulPadding = k - 3 - sessionKey.size();
    if (k < sessionKey.size() + 3 + kMinPadding)
        throw std::runtime_error("session key too long for the modulus");
    for (size_t i = 0; i < ulPadding; ++i)
        block[2 + i] = static_cast<uint8_t>(1 + rng() % 255);
    std::copy(sessionKey.begin(), sessionKey.end(), block.begin() + static_cast<long>(3 + ulPadding));
    FdCrypto::CBigNum m, e, n, c;
    const uint8_t* lpModulus = key.lpField(FdCrypto::kOffModulus) + FdCrypto::kMaxModulusLen - k;
    if (!m.boFromBytes(block.data(), k) || !n.boFromBytes(lpModulus, k) ||
        !e.boFromBytes(key.lpField(FdCrypto::kOffPublicExponent), FdCrypto::kMaxModulusLen) ||
        !FdCrypto::CBigNum::boModExp(c, m, e, n))
        throw std::runtime_error("RSA step failed");
    std::string out(k, '\0');
    c.boToBytes(reinterpret_cast<uint8_t*>(&out[0]), k);
    return out;
}
} // namespace

FdCrypto::CKeyRecord keyFromText(const std::string& text)
{
    FdCrypto::CKeyRecord record;
    if (!FdCrypto::DecodeKeyText(text.data(), text.size(), record).boOk())
        throw std::runtime_error("not a key text");
    return record;
}

std::string strSeal(const std::string& plain, const FdCrypto::CKeyRecord& key, bool boBase64, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> sessionKey(FdCrypto::kDesKeySize);
    for (uint8_t& b : sessionKey)
        b = static_cast<uint8_t>(rng());
    uint8_t iv[kBlock];
    for (uint8_t& b : iv)
        b = static_cast<uint8_t>(rng());

    std::string padded = plain;
    const size_t ulPad = kBlock - plain.size() % kBlock;
    padded.append(ulPad, static_cast<char>(ulPad));
    FdCrypto::CDesKeySchedule schedule;
    schedule.vSet(sessionKey.data(), FdCrypto::EDesDirection::Encrypt);
    std::string body;
    uint8_t chain[kBlock];
    std::copy(iv, iv + kBlock, chain);
    for (size_t i = 0; i < padded.size(); i += kBlock)
    {
        uint8_t block[kBlock];
        for (size_t j = 0; j < kBlock; ++j)
            block[j] = static_cast<uint8_t>(padded[i + j]) ^ chain[j];
        uint32_t left = FdCrypto::dwLoadBigEndian(block), right = FdCrypto::dwLoadBigEndian(block + 4);
        schedule.vCryptBlock(left, right);
        FdCrypto::vStoreBigEndian(left, chain);
        FdCrypto::vStoreBigEndian(right, chain + 4);
        body.append(reinterpret_cast<const char*>(chain), kBlock);
    }
    const std::string encKey = strRsaEncrypt(sessionKey, key, rng);
    body += encKey;
    vAppendLe32(body, static_cast<uint32_t>(encKey.size()));
    body.append(reinterpret_cast<const char*>(iv), kBlock);
    const uint32_t dwFiller = rng() % 6;
    for (uint32_t i = 0; i < dwFiller; ++i)
        body += static_cast<char>(rng());
    vAppendLe32(body, dwFiller);
    if (boBase64)
        return strBase64(body) + "AB";
    return body + std::string(1, '\0') + "B";
}

} // namespace EnvelopeSealer
