// Opens fuzzed envelopes with a fixed test key. An input that starts with 0xFF first
// patches the key record: 2 bytes offset (little-endian, modulo the record size), 1 byte
// length, then that many bytes; so damaged records (odd bit counts, zero or mismatched
// primes) reach the RSA step. Every input is also tried as a key text.
#include "Envelope.h"
#include "FuzzKey.h"

#include <algorithm>
#include <cstring>

using namespace FdCrypto;

namespace
{

constexpr uint8_t kPatchMark = 0xFF;
constexpr size_t kPatchHeader = 4; // mark, offset (2), length

const CKeyRecord& FixedKey()
{
    static const CKeyRecord record = []
    {
        CKeyRecord r;
        DecodeKeyText(kFuzzKeyText, sizeof kFuzzKeyText - 1, r);
        return r;
    }();
    return record;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKeyRecord key = FixedKey();
    if (size >= kPatchHeader && data[0] == kPatchMark)
    {
        const size_t offset = (data[1] | static_cast<size_t>(data[2]) << 8) % kKeyRecordSize;
        const size_t len = std::min<size_t>({data[3], size - kPatchHeader, kKeyRecordSize - offset});
        std::memcpy(key.bytes.data() + offset, data + kPatchHeader, len);
        data += kPatchHeader + len;
        size -= kPatchHeader + len;
    }
    std::vector<uint8_t> plain;
    OpenEnvelope(data, size, key, plain);
    DecodeKeyText(reinterpret_cast<const char*>(data), size, key);
    return 0;
}
