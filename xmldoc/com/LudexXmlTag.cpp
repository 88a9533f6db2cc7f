// LudexXmlTag: one tag of a loaded tree, with the walks and dumps of CXmlTag.
#include "FdBstr.h"
#include "FdComBoundary.h"
#include "FdComObject.h"
#include "LudexXmlTree.h"

namespace
{
// Asked of an ILudexXmlTag to reach the object behind it. Only objects of this
// process answer it: a tag made elsewhere (a caller's own object) does not, and
// counts as no tag.
// {85BA0F4E-8252-4528-91FD-2327B969816D}
const IID kIidTagSelf = {0x85ba0f4e, 0x8252, 0x4528, {0x91, 0xfd, 0x23, 0x27, 0xb9, 0x69, 0x81, 0x6d}};

class CLudexXmlTag : public FdCom::CObjectRoot, public ILudexXmlTag
{
public:
    CLudexXmlTag(const XmlTreeRef& tree, CXmlTag* tag) : m_tree(tree), m_pTag(tag) {}

    void* pvFindInterface(REFIID riid) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ILudexXmlTag))
            return static_cast<ILudexXmlTag*>(this);
        if (IsEqualIID(riid, kIidTagSelf))
            return this;
        return nullptr;
    }

    STDMETHODIMP GetNextTag(ILudexXmlTag* pVirtualRootTag, long* bGotResult, ILudexXmlTag** pNextTag) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                return hrWalk(pVirtualRootTag, bGotResult, pNextTag,
                              [&](const CXmlTag* root) { return m_pTag->lpGetNextTag(root); });
            });
    }
    STDMETHODIMP GetNextTagNamed(BSTR bTagName, ILudexXmlTag* pVirtualRootTag, long* bGotResult,
                                 ILudexXmlTag** pNextTag) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                return hrWalk(pVirtualRootTag, bGotResult, pNextTag,
                              [&](const CXmlTag* root)
                              { return m_pTag->lpGetNextTagNamed(FdCom::strFromBstr(bTagName), root); });
            });
    }
    STDMETHODIMP GetNamespacedNextTagNamed(BSTR bTagName, BSTR bNamespaceName, ILudexXmlTag* pVirtualRootTag,
                                           long* bGotResult, ILudexXmlTag** pNextTag) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                return hrWalk(pVirtualRootTag, bGotResult, pNextTag,
                              [&](const CXmlTag* root)
                              {
                                  return m_pTag->lpGetNamespacedNextTagNamed(
                                      FdCom::strFromBstr(bTagName), FdCom::strFromBstr(bNamespaceName), root);
                              });
            });
    }
    // For the sub-tag walks pVirtualRootTag is the sub-tag found last (this
    // tag to start).
    STDMETHODIMP GetNextSubTag(ILudexXmlTag* pVirtualRootTag, long* bGotResult,
                               ILudexXmlTag** pNextSubTag) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                return hrWalk(pVirtualRootTag, bGotResult, pNextSubTag,
                              [&](const CXmlTag* last) { return m_pTag->GetNextSubTag(last); });
            });
    }
    STDMETHODIMP GetNextSubTagNamed(BSTR bTagName, ILudexXmlTag* pVirtualRootTag, long* bGotResult,
                                    ILudexXmlTag** pNextSubTag) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                return hrWalk(pVirtualRootTag, bGotResult, pNextSubTag,
                              [&](const CXmlTag* last)
                              { return m_pTag->GetNextSubTagNamed(FdCom::strFromBstr(bTagName), last); });
            });
    }
    STDMETHODIMP GetNamespacedNextSubTagNamed(BSTR bTagName, BSTR bNamespaceName,
                                              ILudexXmlTag* pVirtualRootTag, long* bGotResult,
                                              ILudexXmlTag** pNextSubTag) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                return hrWalk(pVirtualRootTag, bGotResult, pNextSubTag,
                              [&](const CXmlTag* last)
                              {
                                  return m_pTag->GetNamespacedNextSubTagNamed(
                                      FdCom::strFromBstr(bTagName), FdCom::strFromBstr(bNamespaceName), last);
                              });
            });
    }
    STDMETHODIMP GetNextChildTag(long bGetFirst, ILudexXmlTag* pNextToTag, long* bGotResult,
                                 ILudexXmlTag** pNextChildTag) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                vClear(bGotResult, pNextChildTag);
                CXmlTag* found = nullptr;
                if (m_pTag && bGetFirst)
                    found = m_pTag->lpGetNextChildTag(nullptr);
                else if (const CXmlTag* after = pTagOf(pNextToTag))
                    found = m_pTag ? m_pTag->lpGetNextChildTag(after) : nullptr;
                return hrAnswer(found, bGotResult, pNextChildTag);
            });
    }
    STDMETHODIMP GetNamespacedNextSubTagNamedText(BSTR bTagName, BSTR bNamespaceName, BSTR* bTagText,
                                                  long* bGotResult, ILudexXmlTag** pNextSubTag) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                vClear(bGotResult, pNextSubTag);
                CXmlTag* found = nullptr;
                CStringExt text;
                if (m_pTag)
                    text = m_pTag->GetNamespacedNextSubTagNamedText(
                        FdCom::strFromBstr(bTagName), FdCom::strFromBstr(bNamespaceName), &found);
                hrText(text, bTagText);
                return hrAnswer(found, bGotResult, pNextSubTag);
            });
    }
    STDMETHODIMP GetNextSubTagNamedText(BSTR bTagName, BSTR* bTagText, long* bGotResult,
                                        ILudexXmlTag** pNextSubTag) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                vClear(bGotResult, pNextSubTag);
                CXmlTag* found = nullptr;
                CStringExt text;
                if (m_pTag)
                    text = m_pTag->GetNextSubTagNamedText(FdCom::strFromBstr(bTagName), &found);
                hrText(text, bTagText);
                return hrAnswer(found, bGotResult, pNextSubTag);
            });
    }
    STDMETHODIMP DumpValue(long bXmlUnformat, BSTR* bRetValue) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            { return hrText(m_pTag ? m_pTag->DumpValue(bXmlUnformat != 0) : CStringExt(), bRetValue); });
    }
    STDMETHODIMP DumpText(long bXmlUnformat, BSTR* bRetValue) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            { return hrText(m_pTag ? m_pTag->DumpText(bXmlUnformat != 0) : CStringExt(), bRetValue); });
    }
    STDMETHODIMP DumpXml(long bXmlUnformat, BSTR* bRetValue) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            { return hrText(m_pTag ? m_pTag->DumpXml(bXmlUnformat != 0) : CStringExt(), bRetValue); });
    }
    STDMETHODIMP IsLeafTag(long* bRetValue) override
    {
        return FdCom::hrGuard([&]() -> HRESULT { return hrBool(m_pTag && m_pTag->IsLeafTag(), bRetValue); });
    }
    STDMETHODIMP IsDataTag(long* bRetValue) override
    {
        return FdCom::hrGuard([&]() -> HRESULT { return hrBool(m_pTag && m_pTag->IsDataTag(), bRetValue); });
    }
    STDMETHODIMP IsEmptyTag(long* bRetValue) override
    {
        return FdCom::hrGuard([&]() -> HRESULT { return hrBool(m_pTag && m_pTag->IsEmptyTag(), bRetValue); });
    }
    STDMETHODIMP IsRootTag(long* bRetValue) override
    {
        return FdCom::hrGuard([&]() -> HRESULT { return hrBool(m_pTag && m_pTag->IsRootTag(), bRetValue); });
    }
    STDMETHODIMP IsMixedTag(long* bRetValue) override
    {
        return FdCom::hrGuard([&]() -> HRESULT { return hrBool(m_pTag && m_pTag->IsMixedTag(), bRetValue); });
    }
    STDMETHODIMP GetName(BSTR* bTagName) override
    {
        return FdCom::hrGuard([&]() -> HRESULT
                              { return hrText(m_pTag ? m_pTag->GetName() : CStringExt(), bTagName); });
    }
    STDMETHODIMP GetAttribute(BSTR bsAttribute, BSTR bsDefault, BSTR* bsRetValue) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                const std::string def = FdCom::strFromBstr(bsDefault);
                return hrText(m_pTag ? m_pTag->GetAttribute(FdCom::strFromBstr(bsAttribute), def)
                                     : CStringExt(def),
                              bsRetValue);
            });
    }
    STDMETHODIMP GetAttributeBool(BSTR bsAttribute, long* bRetValue) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT {
                return hrBool(m_pTag && m_pTag->boGetAttributeBool(FdCom::strFromBstr(bsAttribute)),
                              bRetValue);
            });
    }

private:
    // The tag behind an object of this process on the same tree; null for null,
    // a foreign object or a tag of another tree (walks never cross trees).
    const CXmlTag* pTagOf(ILudexXmlTag* pTag) const
    {
        CLudexXmlTag* other = nullptr;
        if (!pTag || FAILED(pTag->QueryInterface(kIidTagSelf, reinterpret_cast<void**>(&other))) || !other)
            return nullptr;
        const CXmlTag* tag = other->m_tree == m_tree ? other->m_pTag : nullptr;
        other->Release();
        return tag;
    }
    // A walk from the tag behind from: nothing without this object's own tag
    // or without from.
    template <class F>
    HRESULT hrWalk(ILudexXmlTag* from, long* bGotResult, ILudexXmlTag** ppTag, F find) const
    {
        vClear(bGotResult, ppTag);
        const CXmlTag* tag = pTagOf(from);
        return hrAnswer(m_pTag && tag ? find(tag) : nullptr, bGotResult, ppTag);
    }
    static void vClear(long* bGotResult, ILudexXmlTag** ppTag)
    {
        if (bGotResult)
            *bGotResult = 0;
        if (ppTag)
            *ppTag = nullptr;
    }
    // A tag of the same tree (walks never leave it).
    HRESULT hrAnswer(CXmlTag* found, long* bGotResult, ILudexXmlTag** ppTag) const
    {
        if (!found || !ppTag || !m_tree || found->GetDocument() != &m_tree->doc)
            return S_OK;
        if (SUCCEEDED(hrMakeXmlTag(m_tree, found, ppTag)) && bGotResult)
            *bGotResult = 1;
        return S_OK;
    }
    static HRESULT hrText(const std::string& text, BSTR* out)
    {
        if (out)
            *out = FdCom::CBstr(text).bstrDetach();
        return S_OK;
    }
    static HRESULT hrBool(bool value, long* out)
    {
        if (out)
            *out = value ? 1 : 0;
        return S_OK;
    }

    XmlTreeRef m_tree;
    CXmlTag* m_pTag;
};
} // namespace

HRESULT hrMakeXmlTag(const XmlTreeRef& tree, CXmlTag* tag, ILudexXmlTag** ppTag)
{
    return FdCom::TComObject<CLudexXmlTag>::hrCreate(IID_ILudexXmlTag, reinterpret_cast<void**>(ppTag), tree,
                                                     tag);
}

HRESULT hrCreateLudexXmlTag(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CLudexXmlTag>::hrCreate(riid, ppv, XmlTreeRef(), nullptr);
}
