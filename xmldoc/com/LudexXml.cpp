// LudexXml: an XML document loaded by the launcher's library for a client,
// with the pre-process hook forwarded to the client's observer.
#include "FdBstr.h"
#include "FdComBoundary.h"
#include "FdComObject.h"
#include "LudexXmlTree.h"
#include "XmlEntities.h"

int32_t CXmlObserverSink::OnPreProcessTag(const CStringExt& name, const CStringExt& attributes,
                                          const CXmlNamespace*, const CXmlNamespaceScope&,
                                          std::string& content, CXmlDocument*)
{
    if (!m_pObserver)
        return kXmlKeepElement;
    FdCom::CBstr tag(name), attribs(attributes);
    BSTR bstrRaw = FdCom::CBstr(content).bstrDetach(); // [in, out]: the callee may replace it
    long lModif = 0;
    const HRESULT hr = m_pObserver->OnXmlPreProcessTag(tag.bstr(), attribs.bstr(), &bstrRaw, &lModif);
    std::string replacement = FdCom::strFromBstr(bstrRaw);
    SysFreeString(bstrRaw);
    if (FAILED(hr) || !lModif)
        return kXmlKeepElement;
    // An empty text keeps the content, which then stands in for the element.
    if (!replacement.empty())
        content.swap(replacement);
    return static_cast<int32_t>(content.size());
}

namespace
{
class CLudexXml : public FdCom::CObjectRoot, public ILudexXml
{
public:
    CLudexXml() : m_tree(std::make_shared<SXmlTree>()) {}
    ~CLudexXml() override
    {
        if (m_pObserver)
            m_pObserver->Release();
    }

    FD_COM_BEGIN_MAP(CLudexXml, ILudexXml)
    FD_COM_ENTRY(ILudexXml)
    FD_COM_END_MAP()

    STDMETHODIMP SetObserver(ILudexXmlObserver* pObserver) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (!pObserver)
                    return S_OK;
                pObserver->AddRef();
                if (m_pObserver)
                    m_pObserver->Release();
                m_pObserver = pObserver;
                return S_OK;
            });
    }
    STDMETHODIMP Load(BSTR bsProtocoledStr, long* lResult) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (!lResult)
                    return S_OK;
                // A tree that tag objects still hold stays theirs: the load gets a new
                // one. The load holds its tree itself, so an observer that loads again
                // from inside the hook cannot pull it away.
                XmlTreeRef tree = m_tree;
                if (tree.use_count() > 2)
                {
                    tree = std::make_shared<SXmlTree>();
                    tree->doc.vSetOperatingMode(m_tree->doc.GetOperatingMode());
                    tree->doc.vSetDefaultProtocol(m_strDefaultProtocol);
                    m_tree = tree;
                }
                ILudexXmlObserver* observer = m_pObserver;
                if (observer)
                    observer->AddRef(); // SetObserver may run during the load
                tree->sink.m_pObserver = observer;
                *lResult = tree->doc.lLoad(FdCom::strFromBstr(bsProtocoledStr), &tree->sink);
                tree->sink.m_pObserver = nullptr;
                if (observer)
                    observer->Release();
                m_tree = tree;
                return S_OK;
            });
    }
    STDMETHODIMP GetLastXmlError(long* lReturnCode, ILudexXmlErr** pXmlError) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                CXmlError error;
                const int32_t code = m_tree->doc.GetLastXmlError(&error);
                if (pXmlError)
                {
                    *pXmlError = nullptr;
                    if (code != 0)
                        hrMakeXmlErr(error, pXmlError);
                }
                if (lReturnCode)
                    *lReturnCode = code;
                return S_OK;
            });
    }
    STDMETHODIMP GetRootTag(ILudexXmlTag** pRootTag) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (pRootTag)
                {
                    *pRootTag = nullptr;
                    hrMakeXmlTag(m_tree, m_tree->doc.lpGetRootTag(), pRootTag);
                }
                return S_OK;
            });
    }
    STDMETHODIMP GetDocumentURL(BSTR* bsUrl) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (bsUrl)
                    *bsUrl = FdCom::CBstr(m_tree->doc.GetDocumentURL()).bstrDetach();
                return S_OK;
            });
    }
    STDMETHODIMP SetOperatingMode(long lMode) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                m_tree->doc.vSetOperatingMode(static_cast<uint32_t>(lMode));
                return S_OK;
            });
    }
    STDMETHODIMP SetDefaultProtocol(BSTR bsProtocol) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                m_strDefaultProtocol = FdCom::strFromBstr(bsProtocol);
                m_tree->doc.vSetDefaultProtocol(m_strDefaultProtocol);
                return S_OK;
            });
    }
    STDMETHODIMP XmlFormat(BSTR bsUnformatedString, BSTR* bsFormatedString) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (bsFormatedString)
                    *bsFormatedString =
                        FdCom::CBstr(XmlFormatString(FdCom::strFromBstr(bsUnformatedString))).bstrDetach();
                return S_OK;
            });
    }
    STDMETHODIMP XmlUnformat(BSTR bsFormatedString, BSTR* bsUnformatedString) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (bsUnformatedString)
                    *bsUnformatedString =
                        FdCom::CBstr(XmlUnformatString(FdCom::strFromBstr(bsFormatedString))).bstrDetach();
                return S_OK;
            });
    }

private:
    XmlTreeRef m_tree;
    ILudexXmlObserver* m_pObserver = nullptr; // one reference
    CStringExt m_strDefaultProtocol = "FILE";
};
} // namespace

HRESULT hrCreateLudexXml(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CLudexXml>::hrCreate(riid, ppv);
}
