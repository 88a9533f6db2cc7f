// A game list read from a second process through the type-library marshaller: the
// launcher's type library registered by Ludex.exe, the list marshalled here and read
// by catalog_reader.exe, which also writes detection results back.
#include "FdBstr.h"
#include "GameDefinitions.h"
#include "HexDigits.h"
#include "SampleClient.h"
#include "TestKit.h"
#include "ZeltoCatalogCom.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace
{
std::string strTempFile(const char* prefix)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, prefix, 0, path);
    return path;
}

// The marshalled form of the interface, as hex text.
std::string strMarshal(IUnknown* object, REFIID iid)
{
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
        return "";
    std::string hex;
    if (SUCCEEDED(CoMarshalInterface(stream, iid, object, MSHCTX_LOCAL, nullptr, MSHLFLAGS_NORMAL)))
    {
        HGLOBAL memory = nullptr;
        GetHGlobalFromStream(stream, &memory);
        const auto* bytes = static_cast<const unsigned char*>(GlobalLock(memory));
        const SIZE_T size = GlobalSize(memory);
        hex += FdText::HexText(bytes, size, FdText::HexCase::kLower);
        GlobalUnlock(memory);
    }
    stream->Release();
    return hex;
}

} // namespace

TEST(CatalogMarshal, SecondProcessReadsTheGameListAndWritesItsFindings)
{
    ASSERT_EQ(0, lRunAndWait("\"" + strProgramFolder() + "Ludex.exe\" /RegServer", 60000));
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        auto list = ParseGameDefinitions("<r><game xmlns=\"g.def\" gid=\"zw\"><gname>Zelto War</gname>"
                                         "<gdesc>La guerre</gdesc><version vnbr=\"1\"/></game></r>",
                                         "g.def");
        CCatalogLease lease(list.get());
        ASSERT_NE(lease.GameList(), nullptr);
        const std::string marshalled = strMarshal(lease.GameList(), IID_IZeltoGameList);
        ASSERT_FALSE(marshalled.empty());
        const std::string in = strTempFile("zgm"), out = strTempFile("zgr");
        std::ofstream(in) << marshalled;
        // The reader calls back into this apartment: it is served while it runs.
        ASSERT_TRUE(FdTestKit::runAndWaitPumping("\"" + strProgramFolder() + "catalog_reader.exe\" \"" + in +
                                                     "\" \"" + out + "\"",
                                                 60000)
                        .boEnded);
        std::ifstream report(out);
        std::stringstream text;
        text << report.rdbuf();
        EXPECT_EQ(text.str(), "unmarshal=0\ncount=0:1\nid=zw\ndesc=La guerre\nstatus=0\nvolume=0\n");
        const CZeltoGameVersion& version = *list->GetAt(0)->versions->GetAt(0);
        EXPECT_EQ(version.contextData.localInstallStatus, 1);
        ASSERT_EQ(version.VolumeCount(), 1);
        EXPECT_EQ(const_cast<CZeltoGameVersion&>(version).FindVolume("CMD")->pairs.GetAt("path"), "C:\\Jeux");
        DeleteFileA(in.c_str());
        DeleteFileA(out.c_str());
    }
    EXPECT_EQ(AttachedCatalogWrapperCount(), 0);
    CoUninitialize();
}
