#include "LudexPlugs.h"

#include <oleauto.h>

#include <vector>

#include "FdBstr.h"
#include "FdComActivate.h"
#include "FdComBoundary.h"
#include "FdComObject.h"
#include "LudexXmlTree.h"
#include "Registry.h"
#include "ScriptItem.h"
#include "StringMap.h"
#include "TextUtil.h"

const char* const kPlugsKey = "HKCU\\Software\\Zelto\\Ludex\\plugs\\";

namespace
{
// The container a plug calls back. Its site is the engine's; it is cleared when
// the site goes or the plug is released, after which every call answers 0.
class CLudexPlugContainer : public FdCom::CObjectRoot, public ILudexPlugContainer, private IPlugSiteBinding
{
public:
    FD_COM_BEGIN_MAP(CLudexPlugContainer, ILudexPlugContainer)
    FD_COM_ENTRY(ILudexPlugContainer)
    FD_COM_END_MAP()

    CLudexPlugContainer(CPlugSite* site, const void* plugKey) : m_pSite(site), m_pPlugKey(plugKey)
    {
        if (m_pSite)
            m_pSite->Bind(this);
    }
    ~CLudexPlugContainer() override
    {
        if (m_pSite)
            m_pSite->Unbind(this);
    }

    STDMETHODIMP GameOver(long) override { return S_OK; }

    STDMETHODIMP StrContextVarsUpdate(IZeltoGenericEnumerator* pExtraContextVars, BSTR* bContextualString,
                                      long* lNbVarsSubst) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (lNbVarsSubst)
                    *lNbVarsSubst = 0;
                CScriptItem* item = Callback();
                if (!item || !bContextualString || !pExtraContextVars)
                    return S_OK;
                CStringMap vars;
                vars.InitHashTable(10, true);
                pExtraContextVars->MoveToFirst();
                for (;;)
                {
                    BSTR name = nullptr;
                    BSTR value = nullptr;
                    const HRESULT hr = pExtraContextVars->GetNext(&name, &value);
                    const std::string nameText = FdCom::strFromBstr(name);
                    const std::string valueText = FdCom::strFromBstr(value);
                    SysFreeString(name);
                    SysFreeString(value);
                    if (hr != S_OK)
                        break;
                    if (!nameText.empty())
                        vars.SetAt(nameText, valueText.c_str());
                }
                std::string text = FdCom::strFromBstr(*bContextualString);
                const int32_t count = item->StrContextVarsUpdate(&vars, text);
                if (lNbVarsSubst)
                    *lNbVarsSubst = count;
                SysFreeString(*bContextualString);
                *bContextualString = FdCom::CBstr(text).bstrDetach();
                return S_OK;
            });
    }

    STDMETHODIMP SendBstrData(BSTR bDataVerb, BSTR bSrc, BSTR bDest, BSTR bData, long, long* lRet) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (lRet)
                    *lRet = 0;
                if (CScriptItem* item = Callback())
                {
                    const long result =
                        item->SendBstrData(FdCom::strFromBstr(bDataVerb), FdCom::strFromBstr(bSrc),
                                           FdCom::strFromBstr(bDest), FdCom::strFromBstr(bData));
                    if (lRet)
                        *lRet = result;
                }
                return S_OK;
            });
    }

    // The array's content is not passed on: the item is handed a fixed text.
    STDMETHODIMP SendBinaryData(BSTR, BSTR, BSTR, SAFEARRAY*, long, long* lRet) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (lRet)
                    *lRet = 0;
                if (CScriptItem* item = Callback())
                {
                    const long result = item->SendBinaryData();
                    if (lRet)
                        *lRet = result;
                }
                return S_OK;
            });
    }

    STDMETHODIMP GetItemTankValue(BSTR bItemId, BSTR* bItemValue, long* bFoundIt) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (bFoundIt)
                    *bFoundIt = 0;
                CScriptItem* item = Callback();
                if (!item)
                    return S_OK;
                CStringExt value;
                const int32_t found = item->GetItemTankValue(FdCom::strFromBstr(bItemId), value,
                                                             "ludexplug:" + m_pSite->plugName);
                if (bFoundIt)
                    *bFoundIt = found;
                if (bItemValue)
                {
                    SysFreeString(*bItemValue);
                    *bItemValue = FdCom::CBstr(value).bstrDetach();
                }
                return S_OK;
            });
    }

    STDMETHODIMP PlugOut() override { return S_OK; }
    STDMETHODIMP ExecVerb(BSTR, BSTR, long* lRetVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (lRetVal)
                    *lRetVal = 0;
                return S_OK;
            });
    }

    STDMETHODIMP GetLudexObject(BSTR bsObjectId, BSTR, long, IUnknown** pUnkObj) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (!pUnkObj)
                    return S_FALSE;
                *pUnkObj = nullptr;
                if (!EqualsNoCase(FdCom::strFromBstr(bsObjectId), "LudexXml"))
                    return S_FALSE;
                // The document object of this process, made directly.
                return SUCCEEDED(hrCreateLudexXml(IID_IUnknown, reinterpret_cast<void**>(pUnkObj))) ? S_OK
                                                                                                    : S_FALSE;
            });
    }

private:
    CScriptItem* Callback() const { return m_pSite ? m_pSite->callback : nullptr; }
    const void* PlugKey() const override { return m_pPlugKey; }
    void OnSiteGone() override { m_pSite = nullptr; }

    CPlugSite* m_pSite;
    const void* m_pPlugKey;
};
} // namespace

bool PlugClassOf(const std::string& binding, CLSID& clsid)
{
    std::string rest;
    bool isClsid = false;
    if (binding.size() >= 6 && EqualsNoCase(binding.substr(0, 6), "clsid:"))
    {
        rest = binding.substr(6);
        isClsid = true;
    }
    else if (binding.size() >= 7 && EqualsNoCase(binding.substr(0, 7), "progid:"))
        rest = binding.substr(7);
    else
        return false;
    const std::wstring wide(rest.begin(), rest.end());
    const HRESULT hr =
        isClsid ? CLSIDFromString(wide.c_str(), &clsid) : CLSIDFromProgID(wide.c_str(), &clsid);
    return hr == NOERROR;
}

HRESULT hrCreatePlugContainer(CPlugSite* site, const void* plugKey, ILudexPlugContainer** container)
{
    if (!container)
        return E_POINTER;
    *container = nullptr;
    CLudexPlugContainer* object = nullptr;
    const HRESULT hr = FdCom::TComObject<CLudexPlugContainer>::hrCreateObject(&object, site, plugKey);
    if (SUCCEEDED(hr))
        *container = object;
    return hr;
}

HRESULT hrCreateLudexPlugContainer(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CLudexPlugContainer>::hrCreate(riid, ppv, nullptr, nullptr);
}

ILudexPlug* CreatePlugObject(CPlugSite& site, const std::string& name, CScriptItem* item)
{
    site.callback = item;
    CLSID clsid = {};
    if (!PlugClassOf(RegReadValue(kPlugsKey + name, "", ""), clsid))
        return nullptr;
    ILudexPlug* plug = nullptr;
    // A plug of the same class released just before may still be leaving
    // its server: the activation is tried again until a new one serves.
    if (FAILED(FdCom::hrCreateInstance(clsid,
                                       CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                       IID_ILudexPlug, reinterpret_cast<void**>(&plug))) ||
        !plug)
        return nullptr;
    // Named before Init: the plug's item tank lookups during Init use this name.
    site.plugName = name;
    ILudexPlugContainer* container = nullptr;
    hrCreatePlugContainer(&site, plug, &container);
    plug->Init(container);
    // The plug holds the container from here on: the launcher's reference goes,
    // so the container does not keep the launcher alive once the plug is released.
    if (container)
        container->Release();
    return plug;
}

void ReleasePlugObject(CPlugSite& site, ILudexPlug* plug)
{
    if (!plug)
        return;
    plug->Terminate();
    site.ReleasePlug(plug);
    plug->Release();
}

bool RegisterPlugObject(const std::string& name, const std::string& binding)
{
    return RegWriteValue(kPlugsKey + name, "", binding.c_str(), REG_SZ) == 1;
}
