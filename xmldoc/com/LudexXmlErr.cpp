// LudexXmlErr: the record of the first error a load found.
#include "FdBstr.h"
#include "FdComBoundary.h"
#include "FdComObject.h"
#include "LudexXmlTree.h"

namespace
{
class CLudexXmlErr : public FdCom::CObjectRoot, public ILudexXmlErr
{
public:
    explicit CLudexXmlErr(const CXmlError& error) : m_error(error) {}

    FD_COM_BEGIN_MAP(CLudexXmlErr, ILudexXmlErr)
    FD_COM_ENTRY(ILudexXmlErr)
    FD_COM_END_MAP()

    STDMETHODIMP GetErrorCode(long* lErrorCode) override { return hrLong(m_error.code, lErrorCode); }
    STDMETHODIMP GetErrorDigest(BSTR* bsErrorDigest) override
    {
        return FdCom::hrGuard([&]() -> HRESULT { return hrText(m_error.digest, bsErrorDigest); });
    }
    STDMETHODIMP GetErrorSection(BSTR* bsErrorSection) override
    {
        return FdCom::hrGuard([&]() -> HRESULT { return hrText(m_error.section, bsErrorSection); });
    }
    STDMETHODIMP GetErrorOffsetStart(long* lStart) override { return hrLong(m_error.offsetStart, lStart); }
    STDMETHODIMP GetErrorOffsetStop(long* lStop) override { return hrLong(m_error.offsetStop, lStop); }

private:
    static HRESULT hrLong(int32_t value, long* out)
    {
        if (out)
            *out = value;
        return S_OK;
    }
    static HRESULT hrText(const std::string& text, BSTR* out)
    {
        if (out)
            *out = FdCom::CBstr(text).bstrDetach();
        return S_OK;
    }

    CXmlError m_error;
};
} // namespace

HRESULT hrMakeXmlErr(const CXmlError& error, ILudexXmlErr** ppErr)
{
    return FdCom::TComObject<CLudexXmlErr>::hrCreate(IID_ILudexXmlErr, reinterpret_cast<void**>(ppErr),
                                                     error);
}

HRESULT hrCreateLudexXmlErr(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CLudexXmlErr>::hrCreate(riid, ppv, CXmlError());
}
