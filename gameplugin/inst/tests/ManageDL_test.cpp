// Component downloads: one transfer per address, decryption, expansion, one
// file per requester, and the answers.
#include "EnvelopeSealer.h"
#include "FdBstr.h"
#include "InstTestSupport.h"
#include "LaunchedApp.h"
#include "LzBuffer.h"
#include "ManageDL.h"
#include "PlugInst.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <map>

using namespace InstTest;

namespace
{
using Params = std::vector<std::pair<std::string, std::string>>;

void vCallBack(IDiagOBPP2Cmpt* lpCmpt, const Params& params, const std::string& strWord)
{
    for (const auto& p : params)
        lpCmpt->SetParameter(FdCom::CBstr("CB_" + p.first).bstr(), FdCom::CBstr(p.second).bstr());
    lpCmpt->SetParameter(FdCom::CBstr("CBCMD").bstr(), FdCom::CBstr(strWord).bstr());
    lpCmpt->ExecuteCmd(FdCom::CBstr("CALLBACK").bstr());
}

// One answer a component got: its word and the parameters set before it.
struct SAnswer
{
    std::string strWord;
    std::map<std::string, std::string> params;
};

// The DLDONE and DLERR answers in the fake components' log, in order.
std::vector<SAnswer> vecAnswers()
{
    std::vector<SAnswer> answers;
    std::map<std::string, std::string> pending;
    for (const std::string& line : vecFakeLog())
    {
        if (line.compare(0, 13, "SetParameter|") == 0)
        {
            const size_t ulBar = line.find('|', 13);
            pending[line.substr(13, ulBar - 13)] = line.substr(ulBar + 1);
        }
        else if (line == "ExecuteCmd|DLDONE" || line == "ExecuteCmd|DLERR")
        {
            answers.push_back(SAnswer{line.substr(11), pending});
            pending.clear();
        }
        else if (line.compare(0, 11, "ExecuteCmd|") == 0)
            pending.clear();
    }
    return answers;
}

const std::string kUrl = "http://127.0.0.1/files/data.bin";

class ManageDL : public CInstTest
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CInstTest::SetUp());
        ASSERT_TRUE(RegisterFakeDll());
        ASSERT_TRUE(RegisterApp("FakeDll", kszFakeDllClsid, "1"));
        m_instance = lpNewInstance({});
        for (int i = 0; i < 2; ++i)
        {
            const std::string strBuffer = strAction("", {{"launchapp", "FakeDll"}}, 3);
            m_instance->vExecuteAction(strBuffer.c_str(), strBuffer.size());
        }
        ASSERT_EQ(2u, m_instance->ulGetAppCount());
        m_browser.calls.clear();
    }
    void TearDown() override
    {
        if (m_instance)
            m_instance->vDestroyInstance();
        CInstTest::TearDown();
    }
    IDiagOBPP2Cmpt* lpCmpt(size_t i) const { return m_instance->lpGetApp(i)->lpGetApp(); }

    // The browser's file: the data packed as SZDD and sealed with the files' key.
    std::string strDelivered(const std::string& strData, bool boPacked = true,
                             FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        std::string content = strData;
        if (boPacked)
        {
            CLzBuffer lz;
            EXPECT_TRUE(lz.boCompress(reinterpret_cast<const uint8_t*>(strData.data()),
                                      static_cast<uint32_t>(strData.size()), true));
            content.assign(reinterpret_cast<const char*>(lz.lpGetData()), lz.dwGetSize());
        }
        const std::string strPath = m_strInstallDir + "_tpdelivered.tmp";
        EXPECT_TRUE(FdTestKit::boWriteFile(strPath, EnvelopeSealer::strSeal(content, key(1), false, 5)));
        return strPath;
    }
    static std::string strFile(const std::string& strPath,
                               FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        std::string s;
        EXPECT_TRUE(FdTestKit::boReadFile(strPath, &s)) << strPath;
        return s;
    }

    std::unique_ptr<CPlugInst> m_instance;
};

TEST_F(ManageDL, TwoRequestsShareOneTransferAndGetAFileEach)
{
    const std::string data = std::string(3000, 'd') + "fin";
    vCallBack(lpCmpt(0), {{"URL", kUrl}, {"DLUSRD", "7"}, {"SIZE", "4000"}}, "DOWNLOAD2");
    vCallBack(lpCmpt(1), {{"URL", kUrl}, {"DLUSRD", "8"}}, "DOWNLOAD2");
    EXPECT_EQ(std::vector<std::string>{"download " + kUrl + " new=1 size=4000"}, m_browser.calls);
    vClearFakeLog();
    const std::string strPath = strDelivered(data);
    m_instance->vDownloadEnded(kUrl.c_str(), true, strPath.c_str(), S_OK);

    const std::vector<SAnswer> answers = vecAnswers();
    ASSERT_EQ(2u, answers.size()) << strFakeLogText();
    for (size_t i = 0; i < 2; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ("DLDONE", answers[i].strWord);
        EXPECT_EQ(i == 0 ? "7" : "8", answers[i].params.at("DLUSRD"));
        EXPECT_EQ(kUrl, answers[i].params.at("DLURL"));
        EXPECT_EQ(data, strFile(answers[i].params.at("DLPATH")));
        DeleteFileA(answers[i].params.at("DLPATH").c_str());
    }
    EXPECT_NE(answers[0].params.at("DLPATH"), answers[1].params.at("DLPATH"));
    EXPECT_FALSE(FdTestKit::boFileExists(strPath));
    EXPECT_EQ(0u, CManageDL::Get().ulGetCount());
}

TEST_F(ManageDL, OldAndNewFormsTogether)
{
    // An old-form request alone: decrypted, not expanded, no DLUSRD; a second
    // old-form requester gets a copy of its own.
    const std::string packedData = "contenu brut";
    vCallBack(lpCmpt(0), {{"URL", kUrl}}, "DOWNLOAD");
    vCallBack(lpCmpt(1), {{"URL", kUrl}}, "Download");
    EXPECT_EQ(std::vector<std::string>{"download " + kUrl + " new=0 size=0"}, m_browser.calls);
    vClearFakeLog();
    std::string strPath = strDelivered(packedData, false);
    m_instance->vDownloadEnded(kUrl.c_str(), true, strPath.c_str(), S_OK);
    std::vector<SAnswer> answers = vecAnswers();
    ASSERT_EQ(2u, answers.size());
    EXPECT_EQ(strPath, answers[0].params.at("DLPATH"));
    EXPECT_NE(strPath, answers[1].params.at("DLPATH"));
    for (const SAnswer& a : answers)
    {
        EXPECT_EQ("DLDONE", a.strWord);
        EXPECT_EQ(0u, a.params.count("DLUSRD"));
        EXPECT_EQ(packedData, strFile(a.params.at("DLPATH")));
        DeleteFileA(a.params.at("DLPATH").c_str());
    }

    // An old and a new form: expanded for both, DLUSRD for the second only.
    vCallBack(lpCmpt(0), {{"URL", kUrl}}, "DOWNLOAD");
    vCallBack(lpCmpt(1), {{"URL", kUrl}, {"DLUSRD", "3"}}, "DOWNLOAD2");
    vClearFakeLog();
    strPath = strDelivered("d\xE9pli\xE9");
    m_instance->vDownloadEnded(kUrl.c_str(), true, strPath.c_str(), S_OK);
    answers = vecAnswers();
    ASSERT_EQ(2u, answers.size());
    EXPECT_EQ(0u, answers[0].params.count("DLUSRD"));
    EXPECT_EQ("3", answers[1].params.at("DLUSRD"));
    for (const SAnswer& a : answers)
    {
        EXPECT_EQ("d\xE9pli\xE9", strFile(a.params.at("DLPATH")));
        DeleteFileA(a.params.at("DLPATH").c_str());
    }
}

TEST_F(ManageDL, FailuresAnswerDlErr)
{
    const struct
    {
        const char* lpszName;
        bool boOk;
        bool boEnvelope;
        HRESULT hr;
        const char* lpszFirstCode;
        bool boFirstHasPath;
        const char* lpszSecondCode;
    } cases[] = {
        // The transfer failed: its result for the first, "no file for you" for the second.
        {"transfer", false, true, static_cast<HRESULT>(0x800C0005), "-2146697211", true, "-939524092"},
        // The file does not open: 0xC8000000 for everyone.
        {"decryption", true, false, S_OK, "-939524096", true, "-939524096"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.lpszName);
        vCallBack(lpCmpt(0), {{"URL", kUrl}, {"DLUSRD", "1"}}, "DOWNLOAD2");
        vCallBack(lpCmpt(1), {{"URL", kUrl}, {"DLUSRD", "2"}}, "DOWNLOAD2");
        vClearFakeLog();
        std::string strPath = m_strInstallDir + "_tpfailed.tmp";
        if (c.boEnvelope)
            strPath = strDelivered("x");
        else
            ASSERT_TRUE(FdTestKit::boWriteFile(strPath, "pas une enveloppe"));
        m_instance->vDownloadEnded(kUrl.c_str(), c.boOk, strPath.c_str(), c.hr);
        const std::vector<SAnswer> answers = vecAnswers();
        ASSERT_EQ(2u, answers.size()) << strFakeLogText();
        EXPECT_EQ("DLERR", answers[0].strWord);
        EXPECT_EQ(c.lpszFirstCode, answers[0].params.at("DLERRC"));
        EXPECT_EQ(c.boFirstHasPath ? strPath : "", answers[0].params.at("DLPATH"));
        EXPECT_EQ("1", answers[0].params.at("DLUSRD"));
        EXPECT_EQ("DLERR", answers[1].strWord);
        EXPECT_EQ(c.lpszSecondCode, answers[1].params.at("DLERRC"));
        EXPECT_EQ("", answers[1].params.at("DLPATH"));
        EXPECT_EQ(0u, CManageDL::Get().ulGetCount());
        DeleteFileA(strPath.c_str());
    }
    EXPECT_NE(std::string::npos, strTraceSinceMark().find("!ERREUR! CManageDL::vFinish -> impossible de d\xE9"
                                                          "crypter "
                                                          "le fichier. Exception:\n"));
}

TEST_F(ManageDL, TransferOfAnInstanceThatDiesEndsForEveryRequester)
{
    // A second instance's component joins the first instance's transfer.
    CRecordingBrowser otherBrowser;
    auto other = lpNewInstance({}, &otherBrowser);
    const std::string strBuffer = strAction("", {{"launchapp", "FakeDll"}}, 3);
    other->vExecuteAction(strBuffer.c_str(), strBuffer.size());
    ASSERT_EQ(1u, other->ulGetAppCount());
    IDiagOBPP2Cmpt* lpOther = other->lpGetApp(0)->lpGetApp();

    vCallBack(lpCmpt(0), {{"URL", kUrl}, {"DLUSRD", "1"}}, "DOWNLOAD2");
    vCallBack(lpOther, {{"URL", kUrl}, {"DLUSRD", "9"}}, "DOWNLOAD2");
    EXPECT_TRUE(otherBrowser.calls.empty());
    EXPECT_EQ(std::vector<std::string>{"download " + kUrl + " new=1 size=0"}, m_browser.calls);
    m_browser.calls.clear();
    vClearFakeLog();
    m_instance->vDestroyInstance();
    m_instance.reset();
    EXPECT_EQ(std::vector<std::string>{"abort " + kUrl + " delete=1"}, m_browser.calls);
    const std::vector<SAnswer> answers = vecAnswers();
    ASSERT_EQ(1u, answers.size()) << strFakeLogText();
    EXPECT_EQ("DLERR", answers[0].strWord);
    EXPECT_EQ("9", answers[0].params.at("DLUSRD"));
    EXPECT_EQ("-939524092", answers[0].params.at("DLERRC"));
    EXPECT_EQ(0u, CManageDL::Get().ulGetCount());

    // The address can be asked for again: a new transfer starts.
    vCallBack(lpOther, {{"URL", kUrl}, {"DLUSRD", "10"}}, "DOWNLOAD2");
    EXPECT_EQ(std::vector<std::string>{"download " + kUrl + " new=1 size=0"}, otherBrowser.calls);
    other->vDestroyInstance();
    EXPECT_EQ(0u, CManageDL::Get().ulGetCount());
}
} // namespace
