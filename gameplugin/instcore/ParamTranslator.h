#pragma once
// Translation of the parameter lists that pages send (attributes and action
// buffers) before anything reads them:
//  1. values split over numbered pairs (N, N1 ... N49) are joined into N;
//  2. every protected pair Xex (X one of the protected names) is decrypted when
//     the list says "crypted" "yes", unscrambled when "scrbl" gives passes, and
//     replaces the plain pair X;
//  3. a pair XEX holding UTF-8 text gives X in the locale's multibyte text.
// Names are compared without regard to case throughout.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class CParamList;

class CParamTranslator
{
public:
    // Opens a protected value; raises the decryption's exception when it cannot.
    using DecryptFn = std::function<std::string(const std::string& strValue)>;
    // Converts 16-bit characters into the locale's multibyte text.
    using WideToAnsiFn = std::function<std::string(const uint16_t* lpChars, size_t ulCount)>;

    static constexpr size_t kProtectedCount = 25;
    static const char* const kaszPlainNames[kProtectedCount];
    static constexpr const char* kszProtectedSuffix = "ex";
    static constexpr int kSplitPartsMax = 49;
    // Room given to the UTF-8 conversion: texts of at most 6500 characters convert.
    static constexpr uint32_t kWideRoomBytes = 13000;

    enum class EResult
    {
        Ok,
        BadScrambled, // a protected value is not what the server's scrambling makes
    };

    CParamTranslator(DecryptFn fnDecrypt, WideToAnsiFn fnWideToAnsi);

    // Translates in place. On BadScrambled, *lpstrName (when given) names the pair.
    EResult eTranslate(CParamList& list, std::string* lpstrName) const;

    // Step 1 alone.
    static void vJoinSplitParameters(CParamList& list);
    // Step 3's conversion of one value: the multibyte text when the UTF-8 text ends
    // within the room (*lpboConverted true), else the value unchanged.
    std::string strUtf8ToAnsi(const std::string& strValue, bool* lpboConverted) const;

private:
    DecryptFn m_fnDecrypt;
    WideToAnsiFn m_fnWideToAnsi;
};
