// CBstrArg: a string handed to a COM call as a BSTR and read back after it.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "StringExt.h"

class CBstrArg
{
public:
    CBstrArg() = default;
    explicit CBstrArg(const std::string& text) : m_sText(text) {}
    // Copies get their own BSTR copy: two holders never free the same one.
    CBstrArg(const CBstrArg& other);
    CBstrArg& operator=(const CBstrArg& other);
    ~CBstrArg();

    // A fresh BSTR copy of the text, kept (and later freed) by the holder: for [in].
    BSTR bstrIn();
    // The same, giving the address of the kept BSTR: for [in, out] and [out].
    BSTR* pbstrInOut();
    // After the call: a held BSTR becomes the text and is freed.
    void vSyncFromBstr();
    // A new BSTR copy of the text, owned by the caller.
    BSTR bstrAlloc() const;

    CStringExt& Text() { return m_sText; }
    const CStringExt& Text() const { return m_sText; }

private:
    void vFree();

    CStringExt m_sText;
    BSTR m_bstr = nullptr;
};
