#pragma once
// The envelope fixtures made by testbed/crypto-fixtures/make-fixtures.py with openssl.
#include <cstdint>
#include <string>
#include <vector>

namespace FdCryptoTest
{

struct SFixture
{
    std::string file;           // under envelopes/
    int key = 0;                // 0 parameters, 1 files
    bool ok = false;            // opens, giving `plain`
    std::vector<uint8_t> plain; // when ok
    uint32_t code = 0;          // when not ok: CSecurity's code
    long lib = 0;               // and the toolkit's
};

// The fixture folder, ending with a separator, in the platform's own form.
std::string FixturePath(const std::string& name);
std::vector<uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
std::vector<SFixture> LoadManifest();

} // namespace FdCryptoTest
