#pragma once
// Single DES (FIPS 46-3) on 8-byte blocks held as two big-endian 32-bit words.
#include <cstddef>
#include <cstdint>

namespace FdCrypto
{

constexpr size_t kDesBlockSize = 8;
constexpr size_t kDesKeySize = 8;

enum class EDesDirection
{
    Encrypt,
    Decrypt
};

// The 16 round keys of one DES key, in the order one direction uses them.
// The low bit of every key byte (its parity bit) plays no part.
class CDesKeySchedule
{
public:
    static constexpr size_t kRounds = 16;

    CDesKeySchedule() = default;
    CDesKeySchedule(const CDesKeySchedule&) = delete;
    CDesKeySchedule& operator=(const CDesKeySchedule&) = delete;
    ~CDesKeySchedule() { vWipe(); }

    void vSet(const uint8_t key[kDesKeySize], EDesDirection direction);
    void vWipe();

    // Runs the cipher in this schedule's direction over one block, in place.
    void vCryptBlock(uint32_t& left, uint32_t& right) const;

private:
    uint32_t m_roundKeys[2 * kRounds] = {}; // two words per round
};

uint32_t dwLoadBigEndian(const uint8_t* p);
void vStoreBigEndian(uint32_t v, uint8_t* p);

} // namespace FdCrypto
