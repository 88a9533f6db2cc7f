// The catalogue's COM face: wrappers of the engine objects for the launch plugs.
// A wrapper holds one pointer to its engine object and does not own it. Wrappers
// reach a plug only through a lease: when the lease ends, every wrapper made while it
// lived is detached and answers S_FALSE, so none outlives its engine object.
#pragma once

#include <windows.h>

#include <cstdint>

#include "GameCatalog.h"
#include "LudexLib.h"

class CCatalogLease
{
public:
    // A ZeltoGameList wrapper of the list, for the duration of one call.
    explicit CCatalogLease(CZeltoGameList* list);
    // A ZeltoGame wrapper of one game, for the duration of one call.
    explicit CCatalogLease(CZeltoGame* game);
    ~CCatalogLease();
    CCatalogLease(const CCatalogLease&) = delete;
    CCatalogLease& operator=(const CCatalogLease&) = delete;

    // Null when the wrapper could not be made.
    IZeltoGameList* GameList() const { return m_pList; }
    IZeltoGame* Game() const { return m_pGame; }

private:
    uint64_t m_nFirstSerial;
    IZeltoGameList* m_pList = nullptr;
    IZeltoGame* m_pGame = nullptr;
};

// Wrappers still attached (for tests).
int32_t AttachedCatalogWrapperCount();

// Class table entries: a wrapper created from outside is attached to nothing.
HRESULT hrCreateZeltoGameList(REFIID riid, void** ppv);
HRESULT hrCreateZeltoGame(REFIID riid, void** ppv);
HRESULT hrCreateZeltoGameTechData(REFIID riid, void** ppv);
HRESULT hrCreateZeltoGameVersionList(REFIID riid, void** ppv);
HRESULT hrCreateZeltoGameVersion(REFIID riid, void** ppv);
HRESULT hrCreateZeltoGameVersionContextData(REFIID riid, void** ppv);
HRESULT hrCreateZeltoGenericEnumerator(REFIID riid, void** ppv);
