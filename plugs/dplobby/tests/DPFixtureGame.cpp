// DPFixtureGame.exe: a lobbied game for the tests. It asks DirectPlay's lobby for its
// connection settings and writes what it got to "settings.txt" in its current folder.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../DPlayDefs.h"

int main()
{
    FILE* out = std::fopen("settings.txt", "wb");
    if (!out)
        return 2;
    CoInitialize(nullptr);
    HMODULE dplayx = LoadLibraryA("dplayx.dll");
    auto create = dplayx ? reinterpret_cast<DPlay::PFN_DirectPlayLobbyCreateA>(
                               reinterpret_cast<void*>(GetProcAddress(dplayx, "DirectPlayLobbyCreateA")))
                         : nullptr;
    IUnknown* first = nullptr;
    DPlay::IDirectPlayLobby2A* lobby = nullptr;
    HRESULT hr = create ? create(nullptr, &first, nullptr, nullptr, 0) : E_FAIL;
    if (SUCCEEDED(hr))
        hr = first->QueryInterface(DPlay::IID_IDirectPlayLobby2A, reinterpret_cast<void**>(&lobby));
    DWORD size = 0;
    std::vector<BYTE> buffer;
    if (SUCCEEDED(hr))
    {
        hr = lobby->GetConnectionSettings(0, nullptr, &size);
        if (hr == DPlay::DPERR_BUFFERTOOSMALL)
        {
            buffer.assign(size, 0);
            hr = lobby->GetConnectionSettings(0, buffer.data(), &size);
        }
    }
    std::fprintf(out, "result=%08lX\n", static_cast<unsigned long>(hr));
    if (SUCCEEDED(hr) && size >= sizeof(DPlay::DPLCONNECTION))
    {
        const auto* c = reinterpret_cast<const DPlay::DPLCONNECTION*>(buffer.data());
        std::fprintf(out, "flags=%lu\n", static_cast<unsigned long>(c->dwFlags));
        if (c->lpSessionDesc)
        {
            std::fprintf(out, "sessionflags=%lu\n", static_cast<unsigned long>(c->lpSessionDesc->dwFlags));
            std::fprintf(out, "session=%s\n",
                         c->lpSessionDesc->lpszSessionNameA ? c->lpSessionDesc->lpszSessionNameA : "");
        }
        if (c->lpPlayerName && c->lpPlayerName->lpszShortNameA)
            std::fprintf(out, "player=%s\n", c->lpPlayerName->lpszShortNameA);
        std::fprintf(out, "tcpip=%d\n", IsEqualGUID(c->guidSP, DPlay::DPSPGUID_TCPIP) ? 1 : 0);
        // The address's host element: the text after the DPAID_INet element header.
        const BYTE* address = static_cast<const BYTE*>(c->lpAddress);
        for (DWORD i = 0; address && i + sizeof(GUID) + 4 < c->dwAddressSize; ++i)
            if (std::memcmp(address + i, &DPlay::DPAID_INet, sizeof(GUID)) == 0)
            {
                std::fprintf(out, "host=%.*s\n", static_cast<int>(c->dwAddressSize - i - sizeof(GUID) - 4),
                             reinterpret_cast<const char*>(address + i + sizeof(GUID) + 4));
                break;
            }
    }
    std::fprintf(out, "end\n");
    std::fclose(out);
    if (lobby)
        lobby->Release();
    if (first)
        first->Release();
    CoUninitialize();
    return 0;
}
