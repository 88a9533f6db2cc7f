#pragma once
// Decryption of the page's protected parameters and of downloaded files. The two
// private keys come from pages once and live in HKLM "Software\FdGame" as "Key0"
// (parameters) and "Key1" (files). Every failure raises CExcptSecurity.
#include "KeyRecord.h"

#include <cstdint>
#include <memory>

class CSecurity
{
public:
    static constexpr long kKeyCount = 2;
    static constexpr long kParamsKey = 0;
    static constexpr long kFilesKey = 1;

    // Decodes the base64 `text` into record `which` and writes it to the registry.
    void vSetKey(long which, const char* text);
    // Reads record `which` back from the registry.
    void vGetKeyFromRegistry(long which);
    // Opens the envelope held in `lpData` (`dwSize` bytes) or, with `boIsFile`, in the
    // file named by `lpData` (`dwSize` unused), with key `iWhatToDecrypt`. Returns the
    // plain text followed by a NUL; `*pdwSize` (when not null) gets its length.
    std::unique_ptr<char[]> lpszDecrypt(const char* lpData, uint32_t dwSize, long iWhatToDecrypt,
                                        uint32_t* pdwSize, bool boIsFile);

private:
    FdCrypto::CKeyRecord m_keys[kKeyCount];
};
