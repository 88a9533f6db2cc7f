#pragma once
// The sender's side of the plug-in's envelopes, for the tests: DES-CBC content
// (letter "B") under a random session key, that key encrypted with the RSA
// public key of a key record (PKCS #1 v1.5 block type 2).
#include "KeyRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace EnvelopeSealer
{
// The envelope of `plain`: binary, or base64 text ("A" flag) with boBase64.
// `seed` makes the random bytes repeatable.
std::string strSeal(const std::string& plain, const FdCrypto::CKeyRecord& key, bool boBase64,
                    uint32_t seed = 1);
// The key record of a page's base64 key text; throws when it is not one.
FdCrypto::CKeyRecord keyFromText(const std::string& text);
} // namespace EnvelopeSealer
