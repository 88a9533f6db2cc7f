#pragma once
// Result codes of the envelope toolkit and of CSecurity.
#include <cstdint>

namespace FdCrypto
{

// Toolkit codes, shown in "Code d'erreur lib cryptage:%ld".
constexpr long kLibOk = 0;
constexpr long kLibBadEncoding = 1027;   // base64 text malformed
constexpr long kLibBadFinalBlock = 1028; // content not a multiple of 8, or padding invalid
constexpr long kLibKeyTooLong = 1030;    // encrypted session key above the largest RSA block
constexpr long kLibBadSessionKey = 1033; // RSA step refused it, or wrong session-key length

// CSecurity's exception codes.
constexpr uint32_t kSecOk = 0;
constexpr uint32_t kSecCantOpenKey = 5151;
constexpr uint32_t kSecCantReadValue = 5152;
constexpr uint32_t kSecBadValueSize = 5153;
constexpr uint32_t kSecBadKeyText = 5154;
constexpr uint32_t kSecCantWriteValue = 5155;
constexpr uint32_t kSecBadWhich = 5156;
constexpr uint32_t kSecCantOpenFile = 5157;
constexpr uint32_t kSecShortRead = 5158;
constexpr uint32_t kSecSessionKey = 5159;
constexpr uint32_t kSecContent = 5160;
constexpr uint32_t kSecFinalBlock = 5161;
constexpr uint32_t kSecBadLength = 5162;
constexpr uint32_t kSecEmptyFile = 5163;

} // namespace FdCrypto
