// The XML COM classes in process: every walk of the tag interface, the
// entity conversions, the load's edge cases and tags that outlive their
// document.
#include "FdBstr.h"
#include "FdComModule.h"
#include "LudexXmlTree.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string strOf(BSTR bstr)
{
    std::string s = FdCom::strFromBstr(bstr);
    SysFreeString(bstr);
    return s;
}

class LudexXmlCom : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_EQ(S_OK, hrCreateLudexXml(IID_ILudexXml, reinterpret_cast<void**>(&m_xml)));
    }
    void TearDown() override
    {
        for (ILudexXmlTag* tag : m_tags)
            tag->Release();
        if (m_xml)
            m_xml->Release();
        EXPECT_EQ(0, FdCom::CModule::Get().lLockCount()) << "every object is gone";
        CoUninitialize();
    }
    long lLoad(const std::string& source, FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        long result = -1;
        EXPECT_EQ(S_OK, m_xml->Load(FdCom::CBstr(source).bstr(), &result));
        return result;
    }
    // Keeps the tag for the test's end; null stays null.
    ILudexXmlTag* pKeep(ILudexXmlTag* tag)
    {
        if (tag)
            m_tags.push_back(tag);
        return tag;
    }
    ILudexXmlTag* pRoot(FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        ILudexXmlTag* root = nullptr;
        EXPECT_EQ(S_OK, m_xml->GetRootTag(&root));
        return pKeep(root);
    }
    // The names of a walk's tags ("#" for text), one call after the other.
    template <class F> std::string strWalk(F step, FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        std::string names;
        ILudexXmlTag* last = nullptr;
        for (int guard = 0; guard < 50; ++guard)
        {
            long got = 7;
            ILudexXmlTag* next = reinterpret_cast<ILudexXmlTag*>(1);
            EXPECT_EQ(S_OK, step(last, &got, &next));
            EXPECT_EQ(got != 0, next != nullptr);
            if (!next)
                break;
            BSTR name = nullptr;
            next->GetName(&name);
            const std::string n = strOf(name);
            names += (n.empty() ? "#" : n) + " ";
            last = pKeep(next);
        }
        return names;
    }

    ILudexXml* m_xml = nullptr;
    std::vector<ILudexXmlTag*> m_tags;
};

TEST_F(LudexXmlCom, WalksInPostOrderByNameByNamespaceAndOverChildren)
{
    ASSERT_EQ(0, lLoad("str://<d xmlns:p=\"urn:p\"><a><b>t</b><c/></a><p:c>u</p:c><a/></d>"));
    ILudexXmlTag* root = pRoot();
    EXPECT_EQ("# b c a # p:c a d ", strWalk([&](ILudexXmlTag* last, long* got, ILudexXmlTag** next)
                                            { return (last ? last : root)->GetNextTag(root, got, next); }));
    EXPECT_EQ("a a ",
              strWalk(
                  [&](ILudexXmlTag* last, long* got, ILudexXmlTag** next) {
                      return (last ? last : root)->GetNextTagNamed(FdCom::CBstr("A").bstr(), root, got, next);
                  }));
    EXPECT_EQ("p:c ", strWalk(
                          [&](ILudexXmlTag* last, long* got, ILudexXmlTag** next)
                          {
                              return (last ? last : root)
                                  ->GetNamespacedNextTagNamed(FdCom::CBstr("p:c").bstr(),
                                                              FdCom::CBstr("URN:P").bstr(), root, got, next);
                          }));
    long got = 0;
    ILudexXmlTag* d = nullptr;
    ASSERT_EQ(S_OK, root->GetNextChildTag(1, nullptr, &got, &d));
    pKeep(d);
    EXPECT_EQ("a p:c a ", strWalk([&](ILudexXmlTag* last, long* g, ILudexXmlTag** next)
                                  { return d->GetNextChildTag(last ? 0 : 1, last, g, next); }));
    EXPECT_EQ("# b c a # p:c a ", strWalk([&](ILudexXmlTag* last, long* g, ILudexXmlTag** next)
                                          { return d->GetNextSubTag(last ? last : d, g, next); }));
    EXPECT_EQ("", strWalk([&](ILudexXmlTag*, long* g, ILudexXmlTag** next)
                          { return d->GetNextChildTag(0, nullptr, g, next); }))
        << "no first child asked for and no tag to follow";

    BSTR text = nullptr;
    ILudexXmlTag* found = nullptr;
    EXPECT_EQ(S_OK, d->GetNextSubTagNamedText(FdCom::CBstr("b").bstr(), &text, &got, &found));
    EXPECT_EQ("t", strOf(text));
    EXPECT_EQ(1, got);
    pKeep(found);
    EXPECT_EQ(S_OK, d->GetNamespacedNextSubTagNamedText(FdCom::CBstr("p:c").bstr(),
                                                        FdCom::CBstr("urn:p").bstr(), &text, &got, &found));
    EXPECT_EQ("u", strOf(text));
    pKeep(found);
    EXPECT_EQ(S_OK, d->GetNextSubTagNamedText(FdCom::CBstr("zz").bstr(), &text, &got, &found));
    EXPECT_EQ("", strOf(text));
    EXPECT_EQ(0, got);
    EXPECT_EQ(nullptr, found);
}

TEST_F(LudexXmlCom, KindsAttributesAndDumps)
{
    ASSERT_EQ(0, lLoad("STR://<m on=\"Yes\" v=\"a&amp;b\">x<e/>y</m>"));
    ILudexXmlTag* root = pRoot();
    long got = 0;
    ILudexXmlTag* m = nullptr;
    ASSERT_EQ(S_OK, root->GetNextTagNamed(FdCom::CBstr("m").bstr(), root, &got, &m));
    pKeep(m);
    struct
    {
        HRESULT (STDMETHODCALLTYPE ILudexXmlTag::*query)(long*);
        long root, m;
    } const kinds[] = {
        {&ILudexXmlTag::IsRootTag, 1, 0}, {&ILudexXmlTag::IsMixedTag, 0, 1},
        {&ILudexXmlTag::IsDataTag, 0, 0}, {&ILudexXmlTag::IsEmptyTag, 0, 0},
        {&ILudexXmlTag::IsLeafTag, 0, 0},
    };
    for (size_t i = 0; i < sizeof kinds / sizeof kinds[0]; ++i)
    {
        long value = 7;
        EXPECT_EQ(S_OK, (root->*kinds[i].query)(&value));
        EXPECT_EQ(kinds[i].root, value) << "root, row " << i;
        EXPECT_EQ(S_OK, (m->*kinds[i].query)(&value));
        EXPECT_EQ(kinds[i].m, value) << "m, row " << i;
    }
    long on = 0, off = 7;
    EXPECT_EQ(S_OK, m->GetAttributeBool(FdCom::CBstr("ON").bstr(), &on));
    EXPECT_EQ(S_OK, m->GetAttributeBool(FdCom::CBstr("missing").bstr(), &off));
    EXPECT_EQ(1, on);
    EXPECT_EQ(0, off);
    BSTR text = nullptr;
    EXPECT_EQ(S_OK, m->GetAttribute(FdCom::CBstr("none").bstr(), FdCom::CBstr("dflt").bstr(), &text));
    EXPECT_EQ("dflt", strOf(text));
    EXPECT_EQ(S_OK, m->DumpText(0, &text));
    EXPECT_EQ("xy", strOf(text));
    EXPECT_EQ(S_OK, m->GetAttribute(FdCom::CBstr("v").bstr(), FdCom::CBstr("").bstr(), &text));
    EXPECT_EQ("a&b", strOf(text)) << "attribute values are plain text";

    EXPECT_EQ(S_OK, m_xml->XmlFormat(FdCom::CBstr("a<b & c").bstr(), &text));
    EXPECT_EQ("a&lt;b &amp; c", strOf(text));
    EXPECT_EQ(S_OK, m_xml->XmlUnformat(FdCom::CBstr("&lt;b&gt; &Eacute;&#65;").bstr(), &text));
    EXPECT_EQ("<b> \xC9"
              "A",
              strOf(text));
}

TEST_F(LudexXmlCom, LoadEdgesAndErrors)
{
    EXPECT_EQ(S_OK, m_xml->Load(FdCom::CBstr("STR://<a/>").bstr(), nullptr)) << "no result: nothing happens";
    BSTR url = nullptr;
    EXPECT_EQ(S_OK, m_xml->GetDocumentURL(&url));
    EXPECT_EQ("", strOf(url));

    EXPECT_EQ(0, lLoad("STR://<a>1</a>"));
    EXPECT_EQ(S_OK, m_xml->GetDocumentURL(&url));
    EXPECT_EQ("<a>1</a>", strOf(url));
    // A word the library does not read, without a resolver: nothing loaded.
    EXPECT_EQ(1, lLoad("zzz://x"));
    // A plain path is read with the default protocol.
    EXPECT_EQ(S_OK, m_xml->SetDefaultProtocol(FdCom::CBstr("str").bstr()));
    EXPECT_EQ(0, lLoad("<q>2</q>"));
    long got = 0;
    ILudexXmlTag* q = nullptr;
    ILudexXmlTag* root = pRoot();
    EXPECT_EQ(S_OK, root->GetNextTagNamed(FdCom::CBstr("q").bstr(), root, &got, &q));
    EXPECT_EQ(1, got);
    pKeep(q);
    // Tree off: the walk finds nothing; the default protocol stays with a
    // new tree too (the old one is held by q).
    EXPECT_EQ(S_OK, m_xml->SetOperatingMode(1));
    EXPECT_EQ(0, lLoad("<r/>"));
    root = pRoot();
    ILudexXmlTag* none = nullptr;
    EXPECT_EQ(S_OK, root->GetNextTag(root, &got, &none));
    EXPECT_EQ(0, got);
    EXPECT_EQ(S_OK, m_xml->GetDocumentURL(&url));
    EXPECT_EQ("<r/>", strOf(url));
    EXPECT_EQ(1, lLoad("FILE://C:\\no\\such\\file.xml"));

    ILudexXmlErr* err = reinterpret_cast<ILudexXmlErr*>(1);
    long code = 7;
    EXPECT_EQ(S_OK, m_xml->GetLastXmlError(&code, &err));
    EXPECT_EQ(0, code);
    EXPECT_EQ(nullptr, err) << "set on every path";
    EXPECT_EQ(S_OK, m_xml->SetOperatingMode(3));
    EXPECT_EQ(0, lLoad("STR://<a></b></a>"));
    EXPECT_EQ(S_OK, m_xml->GetLastXmlError(&code, &err));
    EXPECT_EQ(1, code);
    ASSERT_NE(nullptr, err);
    BSTR digest = nullptr;
    EXPECT_EQ(S_OK, err->GetErrorDigest(&digest));
    EXPECT_FALSE(strOf(digest).empty());
    err->Release();

    // An error object made by class holds an empty record.
    ASSERT_EQ(S_OK, hrCreateLudexXmlErr(IID_ILudexXmlErr, reinterpret_cast<void**>(&err)));
    EXPECT_EQ(S_OK, err->GetErrorCode(&code));
    EXPECT_EQ(0, code);
    err->Release();
}

// The document goes first: the tags keep their tree.
TEST_F(LudexXmlCom, TagsOutliveTheirDocument)
{
    ASSERT_EQ(0, lLoad("STR://<a><b k=\"1\">t</b></a>"));
    ILudexXmlTag* root = pRoot();
    long got = 0;
    ILudexXmlTag* b = nullptr;
    ASSERT_EQ(S_OK, root->GetNextTagNamed(FdCom::CBstr("b").bstr(), root, &got, &b));
    pKeep(b);
    EXPECT_EQ(0, lLoad("STR://<other/>"));
    m_xml->Release();
    m_xml = nullptr;
    BSTR text = nullptr;
    EXPECT_EQ(S_OK, b->GetAttribute(FdCom::CBstr("k").bstr(), FdCom::CBstr("").bstr(), &text));
    EXPECT_EQ("1", strOf(text));
    EXPECT_EQ("a ", strWalk([&](ILudexXmlTag* last, long* g, ILudexXmlTag** next)
                            { return (last ? last : b)->GetNextTag(root, g, next); }));
}
} // namespace
