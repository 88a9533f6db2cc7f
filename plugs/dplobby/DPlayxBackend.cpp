// The lobby backend over DirectPlay itself: dplayx.dll loaded at run time for the
// DirectPlay 4 lobby, and the DirectPlay 8 peer, lobby client and address classes.
#include <windows.h>

#include <string>

#include "FdBstr.h"
#include "LobbyBackend.h"

namespace
{
template <class T> void vRelease(T*& p)
{
    if (p)
        p->Release();
    p = nullptr;
}

BOOL CALLBACK boCollectAddressType(REFGUID type, void* context, DWORD)
{
    static_cast<std::vector<GUID>*>(context)->push_back(type);
    return TRUE;
}

HRESULT WINAPI hrAcceptEverything(void*, DWORD, void*)
{
    return S_OK;
}

HRESULT WINAPI hrLobbyHandler(void* context, DWORD messageId, void*)
{
    if (context)
        static_cast<IDP8LobbyHandler*>(context)->vOnLobbyMessage(messageId);
    return S_OK;
}

class CDPlayxBackend final : public IDPLobbyBackend
{
public:
    ~CDPlayxBackend() override
    {
        vCloseDP8();
        vReleaseDP4();
        if (m_dplayx)
            FreeLibrary(m_dplayx);
    }

    HRESULT hrCreateDP4() override
    {
        if (m_lobby)
            return S_OK;
        if (!m_dplayx)
            m_dplayx = LoadLibraryA("dplayx.dll");
        auto create = m_dplayx ? reinterpret_cast<DPlay::PFN_DirectPlayLobbyCreateA>(reinterpret_cast<void*>(
                                     GetProcAddress(m_dplayx, "DirectPlayLobbyCreateA")))
                               : nullptr;
        if (!create)
            return E_FAIL;
        HRESULT hr = CoCreateInstance(DPlay::CLSID_DirectPlay, nullptr, CLSCTX_INPROC_SERVER,
                                      DPlay::IID_IDirectPlay3A, reinterpret_cast<void**>(&m_dplay));
        IUnknown* first = nullptr;
        if (SUCCEEDED(hr))
            hr = create(nullptr, &first, nullptr, nullptr, 0);
        if (SUCCEEDED(hr))
            hr = first->QueryInterface(DPlay::IID_IDirectPlayLobby2A, reinterpret_cast<void**>(&m_lobby));
        vRelease(first);
        if (FAILED(hr))
            vReleaseDP4();
        return hr;
    }

    void vReleaseDP4() override
    {
        vRelease(m_lobby);
        vRelease(m_dplay);
    }

    HRESULT hrEnumAddressTypes(const GUID& serviceProvider, std::vector<GUID>& types) override
    {
        if (!m_lobby)
            return E_FAIL;
        return m_lobby->EnumAddressTypes(boCollectAddressType, serviceProvider, &types, 0);
    }

    HRESULT hrCreateCompoundAddress(const DPlay::DPCOMPOUNDADDRESSELEMENT* elements, DWORD count,
                                    void* address, DWORD* size) override
    {
        return m_lobby ? m_lobby->CreateCompoundAddress(elements, count, address, size) : E_FAIL;
    }

    HRESULT hrRunApplication(DWORD* appId, DPlay::DPLCONNECTION* connection, HANDLE receiveEvent) override
    {
        return m_lobby ? m_lobby->RunApplication(0, appId, connection, receiveEvent) : E_FAIL;
    }

    HRESULT hrReceiveLobbyMessage(DWORD appId, DWORD* flags, void* data, DWORD* size) override
    {
        return m_lobby ? m_lobby->ReceiveLobbyMessage(0, appId, flags, data, size) : E_FAIL;
    }

    HRESULT hrSendLobbyMessage(DWORD flags, DWORD appId, void* data, DWORD size) override
    {
        return m_lobby ? m_lobby->SendLobbyMessage(flags, appId, data, size) : E_FAIL;
    }

    HRESULT hrCreateDP8(IDP8LobbyHandler* handler) override
    {
        if (m_peer && m_client)
            return S_OK;
        HRESULT hr = CoCreateInstance(DPlay::CLSID_DirectPlay8Peer, nullptr, CLSCTX_INPROC_SERVER,
                                      DPlay::IID_IDirectPlay8Peer, reinterpret_cast<void**>(&m_peer));
        if (SUCCEEDED(hr))
            hr = m_peer->Initialize(nullptr, hrAcceptEverything, 0);
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(DPlay::CLSID_DirectPlay8LobbyClient, nullptr, CLSCTX_INPROC_SERVER,
                                  DPlay::IID_IDirectPlay8LobbyClient, reinterpret_cast<void**>(&m_client));
        if (SUCCEEDED(hr))
            hr = m_client->Initialize(handler, hrLobbyHandler, 0);
        if (FAILED(hr))
        {
            vRelease(m_client);
            vRelease(m_peer);
        }
        return hr;
    }

    void vCloseDP8() override
    {
        if (m_client)
            m_client->Close(0);
        if (m_peer)
            m_peer->Close(0);
        vRelease(m_client);
        vRelease(m_peer);
    }

    HRESULT hrConnectApplicationDP8(const SDP8Launch& launch, bool* settingsBuilt) override
    {
        *settingsBuilt = false;
        if (!m_peer || !m_client)
            return E_FAIL;
        std::vector<DPlay::IDirectPlay8Address*> devices;
        DPlay::IDirectPlay8Address* hostAddress = nullptr;
        HRESULT hr = hrBuildSettings(launch, devices, hostAddress);
        if (SUCCEEDED(hr))
        {
            *settingsBuilt = true;
            std::wstring player = FdCom::wstrFromAnsi(launch.playerName);
            DPlay::DPL_CONNECTION_SETTINGS settings = {};
            settings.dwSize = sizeof settings;
            settings.dpnAppDesc.dwSize = sizeof settings.dpnAppDesc;
            settings.dpnAppDesc.guidApplication = launch.appGuid;
            settings.pdp8HostAddress = hostAddress;
            settings.ppdp8DeviceAddresses = devices.empty() ? nullptr : devices.data();
            settings.cNumDeviceAddresses = static_cast<DWORD>(devices.size());
            settings.pwszPlayerName = &player[0];
            DPlay::DPL_CONNECT_INFO connect = {};
            connect.dwSize = sizeof connect;
            connect.dwFlags = DPlay::DPLCONNECT_LAUNCHNOTFOUND;
            connect.guidApplication = launch.appGuid;
            connect.pdplConnectionSettings = &settings;
            DWORD application = 0;
            hr = m_client->ConnectApplication(&connect, this, &application, INFINITE, 0);
        }
        for (auto* device : devices)
            device->Release();
        vRelease(hostAddress);
        return hr;
    }

private:
    static HRESULT hrNewAddress(DPlay::IDirectPlay8Address** address)
    {
        HRESULT hr = CoCreateInstance(DPlay::CLSID_DirectPlay8Address, nullptr, CLSCTX_INPROC_SERVER,
                                      DPlay::IID_IDirectPlay8Address, reinterpret_cast<void**>(address));
        if (SUCCEEDED(hr))
            hr = (*address)->SetSP(&DPlay::CLSID_DP8SP_TCPIP);
        return hr;
    }

    // The TCP/IP devices, each as an address; host: with the port, else a host
    // address naming the host (and the port when given).
    HRESULT hrBuildSettings(const SDP8Launch& launch, std::vector<DPlay::IDirectPlay8Address*>& devices,
                            DPlay::IDirectPlay8Address*& hostAddress)
    {
        DWORD bytes = 0, count = 0;
        HRESULT hr =
            m_peer->EnumServiceProviders(&DPlay::CLSID_DP8SP_TCPIP, nullptr, nullptr, &bytes, &count, 0);
        std::vector<BYTE> buffer;
        if (hr == DPlay::DPNERR_BUFFERTOOSMALL)
        {
            buffer.assign(bytes, 0);
            hr = m_peer->EnumServiceProviders(
                &DPlay::CLSID_DP8SP_TCPIP, nullptr,
                reinterpret_cast<DPlay::DPN_SERVICE_PROVIDER_INFO*>(buffer.data()), &bytes, &count, 0);
        }
        if (FAILED(hr))
            return hr;
        if (static_cast<size_t>(count) * sizeof(DPlay::DPN_SERVICE_PROVIDER_INFO) > buffer.size())
            count = static_cast<DWORD>(buffer.size() / sizeof(DPlay::DPN_SERVICE_PROVIDER_INFO));
        const auto* infos = reinterpret_cast<const DPlay::DPN_SERVICE_PROVIDER_INFO*>(buffer.data());
        const DWORD port = launch.port;
        for (DWORD i = 0; i < count && SUCCEEDED(hr); ++i)
        {
            DPlay::IDirectPlay8Address* device = nullptr;
            hr = hrNewAddress(&device);
            if (SUCCEEDED(hr))
                hr = device->SetDevice(&infos[i].guid);
            if (SUCCEEDED(hr) && launch.host && port)
                hr = device->AddComponent(L"port", &port, sizeof port, DPlay::DPNA_DATATYPE_DWORD);
            if (device)
                devices.push_back(device);
        }
        if (SUCCEEDED(hr) && !launch.host)
        {
            const std::wstring host = FdCom::wstrFromAnsi(launch.hostText);
            hr = hrNewAddress(&hostAddress);
            if (SUCCEEDED(hr))
                hr = hostAddress->AddComponent(L"hostname", host.c_str(),
                                               static_cast<DWORD>((host.size() + 1) * sizeof(wchar_t)),
                                               DPlay::DPNA_DATATYPE_STRING);
            if (SUCCEEDED(hr) && port)
                hr = hostAddress->AddComponent(L"port", &port, sizeof port, DPlay::DPNA_DATATYPE_DWORD);
        }
        return hr;
    }

    HMODULE m_dplayx = nullptr;
    IUnknown* m_dplay = nullptr;
    DPlay::IDirectPlayLobby2A* m_lobby = nullptr;
    DPlay::IDirectPlay8Peer* m_peer = nullptr;
    DPlay::IDirectPlay8LobbyClient* m_client = nullptr;
};
} // namespace

std::unique_ptr<IDPLobbyBackend> lpCreateDPlayxBackend()
{
    return std::make_unique<CDPlayxBackend>();
}
