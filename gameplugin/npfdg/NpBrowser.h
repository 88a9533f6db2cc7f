#pragma once
// The browser's function table kept between NP_Initialize and NP_Shutdown, and
// the calls made through it with the version checks of the interface.
#include "NpApi.h"
#include "StreamBuffer.h"

namespace NpBrowser
{
void vSet(NPNetscapeFuncs* lpFuncs);
NPNetscapeFuncs* lpGet();
uint16_t uMinorVersion();

NPError GetURL(NPP npp, const char* lpszUrl, const char* lpszTarget);
// NPN_GetURLNotify from minor version 9; NPN_GetURL before.
NPError GetURLNotify(NPP npp, const char* lpszUrl, const char* lpszTarget, void* lpNotify);
bool boHasNotification();
// 8 (incompatible) without calling the browser below minor version 8.
NPError NewStream(NPP npp, const char* lpszType, const char* lpszTarget, NPStream** lplpStream);
int32_t Write(NPP npp, NPStream* lpStream, int32_t lLength, void* lpBytes);
NPError DestroyStream(NPP npp, NPStream* lpStream, NPReason reason);
void* MemAlloc(uint32_t ulSize);
void MemFree(void* lp);
// The stream buffers' allocator: the browser's memory.
const CStreamBuffer::SAllocator& allocator();
} // namespace NpBrowser
