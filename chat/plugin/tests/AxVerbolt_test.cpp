// The control's property-bag load: string PARAMs become the instance's
// arguments in page order, others are left out.
#include "AxVerbolt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ChatPlugin;

namespace
{
// A bag of fixed properties, read through IPropertyBag2 as the browsers do.
class CFakeBag : public FdCom::CObjectRoot, public IPropertyBag, public IPropertyBag2
{
public:
    FD_COM_BEGIN_MAP(CFakeBag, IPropertyBag)
    FD_COM_ENTRY(IPropertyBag)
    FD_COM_ENTRY(IPropertyBag2)
    FD_COM_END_MAP()

    struct SProp
    {
        std::wstring name;
        VARTYPE vt;
        std::wstring text;
        LONG number;
    };
    std::vector<SProp> props;

    // The control reads through IPropertyBag2 only and writes nothing: other calls fail the test.
    STDMETHODIMP Read(LPCOLESTR, VARIANT*, IErrorLog*) override { return hrUnexpected("IPropertyBag::Read"); }
    STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return hrUnexpected("IPropertyBag::Write"); }
    STDMETHODIMP Read(ULONG count, PROPBAG2* bags, IErrorLog*, VARIANT* values, HRESULT* results) override
    {
        for (ULONG i = 0; i < count; ++i)
        {
            VariantInit(&values[i]);
            results[i] = E_INVALIDARG;
            for (const SProp& p : props)
                if (p.name == bags[i].pstrName)
                {
                    values[i].vt = p.vt;
                    if (p.vt == VT_BSTR)
                        values[i].bstrVal = SysAllocString(p.text.c_str());
                    else
                        values[i].lVal = p.number;
                    results[i] = S_OK;
                }
        }
        return S_OK;
    }
    STDMETHODIMP Write(ULONG, PROPBAG2*, VARIANT*) override { return hrUnexpected("IPropertyBag2::Write"); }
    STDMETHODIMP CountProperties(ULONG* count) override
    {
        *count = static_cast<ULONG>(props.size());
        return S_OK;
    }
    STDMETHODIMP GetPropertyInfo(ULONG first, ULONG count, PROPBAG2* bags, ULONG* got) override
    {
        *got = 0;
        for (ULONG i = 0; i < count && first + i < props.size(); ++i)
        {
            const SProp& p = props[first + i];
            bags[i] = PROPBAG2();
            bags[i].vt = p.vt;
            bags[i].pstrName = static_cast<LPOLESTR>(CoTaskMemAlloc((p.name.size() + 1) * sizeof(wchar_t)));
            wcscpy(bags[i].pstrName, p.name.c_str());
            ++*got;
        }
        return S_OK;
    }
    STDMETHODIMP LoadObject(LPCOLESTR, DWORD, IUnknown*, IErrorLog*) override
    {
        return hrUnexpected("IPropertyBag2::LoadObject");
    }

private:
    static HRESULT hrUnexpected(const char* method)
    {
        ADD_FAILURE() << "unexpected call " << method;
        return E_UNEXPECTED;
    }
};

struct SCom
{
    SCom() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~SCom() { CoUninitialize(); }
};
} // namespace

TEST(AxVerbolt, StringParamsReachTheInstanceInPageOrder)
{
    SCom com;
    const LONG locksBefore = FdCom::CModule::Get().lLockCount();
    CFakeBag* bag = nullptr;
    ASSERT_EQ(S_OK, FdCom::TComObject<CFakeBag>::hrCreateObject(&bag));
    bag->props = {{L"Type", VT_BSTR, L"application/x-verbolt", 0},
                  {L"Width", VT_I4, L"", 400},
                  {L"src", VT_BSTR, L"chat.vblt", 0}};
    IPersistPropertyBag* persist = nullptr;
    ASSERT_EQ(S_OK, CAxVerbolt::hrCreate(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist)));
    EXPECT_EQ(S_OK, persist->Load(static_cast<IPropertyBag*>(bag), nullptr));
    auto* control = static_cast<CAxVerbolt*>(persist);
    EXPECT_EQ((std::vector<std::string>{"Type", "src"}), control->ParamNames())
        << "a number is not passed on";
    EXPECT_EQ((std::vector<std::string>{"application/x-verbolt", "chat.vblt"}), control->ParamValues());
    EXPECT_EQ("application/x-verbolt", control->strParam("type"));
    EXPECT_NE(nullptr, control->Npp()->pdata) << "the instance was created";
    EXPECT_EQ(".vblt", control->strSrcEnding());
    CLSID clsid = CLSID_NULL;
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_AxVerbolt, clsid));
    persist->Release();
    static_cast<IPropertyBag*>(bag)->Release();
    EXPECT_EQ(0, CxPlgnHlpr::lLiveObjects());
    EXPECT_EQ(locksBefore, FdCom::CModule::Get().lLockCount());
}
