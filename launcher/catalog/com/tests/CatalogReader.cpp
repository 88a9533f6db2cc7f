// The second process of the marshalling test: unmarshals the game list whose
// marshalled form the first process wrote (hex) to argv[1], reads it, marks the first
// version as found, and writes what it read to argv[2].
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "FdBstr.h"
#include "LudexLib.h"

namespace
{
std::string strOf(BSTR bstr)
{
    std::string s = FdCom::strFromBstr(bstr);
    SysFreeString(bstr);
    return s;
}

std::string strRead(IZeltoGameList* list)
{
    std::ostringstream out;
    long count = 0;
    out << "count=" << list->Count(&count) << ":" << count << "\n";
    IZeltoGame* game = nullptr;
    if (list->GetAt(0, &game) != S_OK || !game)
        return out.str() + "no game\n";
    BSTR text = nullptr;
    game->GetGameID(&text);
    out << "id=" << strOf(text) << "\n";
    game->GetGameDescription(&text);
    out << "desc=" << strOf(text) << "\n";
    IZeltoGameVersionList* versions = nullptr;
    IZeltoGameVersion* version = nullptr;
    IZeltoGameVersionContextData* context = nullptr;
    IZeltoGenericEnumerator* volume = nullptr;
    if (game->GetGameVersions(&versions) == S_OK && versions->GetAt(0, &version) == S_OK &&
        version->GetGameVersionContextData(&context) == S_OK)
    {
        out << "status=" << context->SetLocalInstalStatus(1) << "\n";
        if (version->CreateContextDictionnaryVolume(FdCom::CBstr("cmd").bstr(), &volume) == S_OK)
            out << "volume=" << volume->SetAt(FdCom::CBstr("path").bstr(), FdCom::CBstr("C:\\Jeux").bstr()) << "\n";
    }
    for (IUnknown* p : {static_cast<IUnknown*>(volume), static_cast<IUnknown*>(context),
                        static_cast<IUnknown*>(version), static_cast<IUnknown*>(versions),
                        static_cast<IUnknown*>(game)})
        if (p)
            p->Release();
    return out.str();
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    std::ifstream in(argv[1]);
    std::string hex;
    in >> hex;
    if (FAILED(CoInitialize(nullptr)))
        return 3;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, hex.size() / 2 + 1);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(memory));
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes[i / 2] = static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16));
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(memory, TRUE, &stream);
    IZeltoGameList* list = nullptr;
    const HRESULT hr = CoUnmarshalInterface(stream, IID_IZeltoGameList, reinterpret_cast<void**>(&list));
    stream->Release();
    std::string report = "unmarshal=" + std::to_string(hr) + "\n";
    if (SUCCEEDED(hr))
    {
        report += strRead(list);
        list->Release();
    }
    CoUninitialize();
    std::ofstream(argv[2]) << report;
    return 0;
}
