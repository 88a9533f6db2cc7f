// The browser plug-in interface (NPAPI) as the suite uses it: the types,
// result codes and the two function tables that a browser and a plug-in DLL
// exchange. Written for the suite from the public interface; the layouts
// are the interface's own and are checked by the browser host's tests.
//
// On Windows the plug-in exports NP_GetEntryPoints, NP_Initialize and
// NP_Shutdown (__stdcall); every function reached through the tables uses
// the compiler's default convention (cdecl).
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define NP_EXPORTCALL __stdcall
#else
#define NP_EXPORTCALL
#endif

// ---- Basic types
using NPError = int16_t;
using NPReason = int16_t;
using NPBool = unsigned char;
using NPMIMEType = char*;
using NPRegion = void*; // HRGN on Windows

// One plug-in instance: the plug-in's private data and the browser's.
struct NPP_t
{
    void* pdata;
    void* ndata;
};
using NPP = NPP_t*;

// A stream between browser and plug-in.
struct NPStream
{
    void* pdata;     // the plug-in's
    void* ndata;     // the browser's
    const char* url; // final URL (after redirections)
    uint32_t end;    // length in bytes, 0 when unknown
    uint32_t lastmodified;
    void* notifyData;    // what NPN_GetURLNotify/NPN_PostURLNotify was given
    const char* headers; // response headers; browsers of version 17 and later
};

struct NPByteRange
{
    int32_t offset;
    uint32_t length;
    NPByteRange* next;
};

struct NPSavedData
{
    int32_t len;
    void* buf;
};

struct NPRect
{
    uint16_t top;
    uint16_t left;
    uint16_t bottom;
    uint16_t right;
};

enum NPWindowType
{
    NPWindowTypeWindow = 1,
    NPWindowTypeDrawable = 2
};

// The plug-in's window: an HWND on Windows, position and size in pixels.
struct NPWindow
{
    void* window;
    int32_t x;
    int32_t y;
    uint32_t width;
    uint32_t height;
    NPRect clipRect;
    NPWindowType type;
};

struct NPFullPrint
{
    NPBool pluginPrinted;
    NPBool printOne;
    void* platformPrint;
};

struct NPEmbedPrint
{
    NPWindow window;
    void* platformPrint;
};

struct NPPrint
{
    uint16_t mode; // NP_FULL or NP_EMBED
    union
    {
        NPFullPrint fullPrint;
        NPEmbedPrint embedPrint;
    } print;
};

// ---- Values the browser answers through NPN_GetValue
enum NPNVariable
{
    NPNVxDisplay = 1,
    NPNVxtAppContext = 2,
    NPNVnetscapeWindow = 3, // HWND of the browser window
    NPNVjavascriptEnabledBool = 4,
    NPNVasdEnabledBool = 5,
    NPNVisOfflineBool = 6,
    NPNVSupportsWindowless = 17
};

// ---- Values the plug-in answers through NPP_GetValue / sets through NPN_SetValue
enum NPPVariable
{
    NPPVpluginNameString = 1,
    NPPVpluginDescriptionString = 2,
    NPPVpluginWindowBool = 3,
    NPPVpluginTransparentBool = 4,
    NPPVjavaClass = 5,
    NPPVpluginWindowSize = 6,
    NPPVpluginTimerInterval = 7,
    NPPVpluginKeepLibraryInMemory = 13
};

// ---- Versions: major in the high byte, minor in the low byte
constexpr uint16_t NP_VERSION_MAJOR = 0;
constexpr uint16_t NP_VERSION_MINOR = 11;            // the newest interface these declarations describe
constexpr uint16_t NPVERS_HAS_STREAMOUTPUT = 8;      // NPN_NewStream, NPN_Write, NPN_DestroyStream
constexpr uint16_t NPVERS_HAS_NOTIFICATION = 9;      // NPN_GetURLNotify, NPN_PostURLNotify, NPP_URLNotify
constexpr uint16_t NPVERS_HAS_LIVECONNECT = 9;       // the plug-in table's javaClass
constexpr uint16_t NPVERS_HAS_WINDOWLESS = 11;       // NPN_InvalidateRect and friends
constexpr uint16_t NPVERS_HAS_RESPONSE_HEADERS = 17; // NPStream::headers

// ---- Result codes
constexpr NPError NPERR_NO_ERROR = 0;
constexpr NPError NPERR_GENERIC_ERROR = 1;
constexpr NPError NPERR_INVALID_INSTANCE_ERROR = 2;
constexpr NPError NPERR_INVALID_FUNCTABLE_ERROR = 3;
constexpr NPError NPERR_MODULE_LOAD_FAILED_ERROR = 4;
constexpr NPError NPERR_OUT_OF_MEMORY_ERROR = 5;
constexpr NPError NPERR_INVALID_PLUGIN_ERROR = 6;
constexpr NPError NPERR_INVALID_PLUGIN_DIR_ERROR = 7;
constexpr NPError NPERR_INCOMPATIBLE_VERSION_ERROR = 8;
constexpr NPError NPERR_INVALID_PARAM = 9;
constexpr NPError NPERR_INVALID_URL = 10;
constexpr NPError NPERR_FILE_NOT_FOUND = 11;
constexpr NPError NPERR_NO_DATA = 12;
constexpr NPError NPERR_STREAM_NOT_SEEKABLE = 13;

// ---- Why a stream or a URL request ended
constexpr NPReason NPRES_DONE = 0;
constexpr NPReason NPRES_NETWORK_ERR = 1;
constexpr NPReason NPRES_USER_BREAK = 2;

// ---- Instance modes and stream types
constexpr uint16_t NP_EMBED = 1;
constexpr uint16_t NP_FULL = 2;
constexpr uint16_t NP_NORMAL = 1;
constexpr uint16_t NP_SEEK = 2;
constexpr uint16_t NP_ASFILE = 3;
constexpr uint16_t NP_ASFILEONLY = 4;
constexpr int32_t NP_MAXREADY = 0x7FFFFFFF;

// ---- Plug-in functions, called by the browser
using NPP_NewProcPtr = NPError (*)(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc,
                                   char* argn[], char* argv[], NPSavedData* saved);
using NPP_DestroyProcPtr = NPError (*)(NPP instance, NPSavedData** save);
using NPP_SetWindowProcPtr = NPError (*)(NPP instance, NPWindow* window);
using NPP_NewStreamProcPtr = NPError (*)(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                                         uint16_t* stype);
using NPP_DestroyStreamProcPtr = NPError (*)(NPP instance, NPStream* stream, NPReason reason);
using NPP_StreamAsFileProcPtr = void (*)(NPP instance, NPStream* stream, const char* fname);
using NPP_WriteReadyProcPtr = int32_t (*)(NPP instance, NPStream* stream);
using NPP_WriteProcPtr = int32_t (*)(NPP instance, NPStream* stream, int32_t offset, int32_t len,
                                     void* buffer);
using NPP_PrintProcPtr = void (*)(NPP instance, NPPrint* platformPrint);
using NPP_HandleEventProcPtr = int16_t (*)(NPP instance, void* event);
using NPP_URLNotifyProcPtr = void (*)(NPP instance, const char* url, NPReason reason, void* notifyData);
using NPP_GetValueProcPtr = NPError (*)(NPP instance, NPPVariable variable, void* value);
using NPP_SetValueProcPtr = NPError (*)(NPP instance, NPNVariable variable, void* value);

// The plug-in's table, filled by NP_GetEntryPoints. The browser sets size.
struct NPPluginFuncs
{
    uint16_t size;
    uint16_t version;
    NPP_NewProcPtr newp;
    NPP_DestroyProcPtr destroy;
    NPP_SetWindowProcPtr setwindow;
    NPP_NewStreamProcPtr newstream;
    NPP_DestroyStreamProcPtr destroystream;
    NPP_StreamAsFileProcPtr asfile;
    NPP_WriteReadyProcPtr writeready;
    NPP_WriteProcPtr write;
    NPP_PrintProcPtr print;
    NPP_HandleEventProcPtr event;
    NPP_URLNotifyProcPtr urlnotify;
    void* javaClass;
    NPP_GetValueProcPtr getvalue;
    NPP_SetValueProcPtr setvalue;
};

// ---- Browser functions, called by the plug-in
using NPN_GetURLProcPtr = NPError (*)(NPP instance, const char* url, const char* window);
using NPN_PostURLProcPtr = NPError (*)(NPP instance, const char* url, const char* window, uint32_t len,
                                       const char* buf, NPBool file);
using NPN_RequestReadProcPtr = NPError (*)(NPStream* stream, NPByteRange* rangeList);
using NPN_NewStreamProcPtr = NPError (*)(NPP instance, NPMIMEType type, const char* window,
                                         NPStream** stream);
using NPN_WriteProcPtr = int32_t (*)(NPP instance, NPStream* stream, int32_t len, void* buffer);
using NPN_DestroyStreamProcPtr = NPError (*)(NPP instance, NPStream* stream, NPReason reason);
using NPN_StatusProcPtr = void (*)(NPP instance, const char* message);
using NPN_UserAgentProcPtr = const char* (*)(NPP instance);
using NPN_MemAllocProcPtr = void* (*)(uint32_t size);
using NPN_MemFreeProcPtr = void (*)(void* ptr);
using NPN_MemFlushProcPtr = uint32_t (*)(uint32_t size);
using NPN_ReloadPluginsProcPtr = void (*)(NPBool reloadPages);
using NPN_GetJavaEnvProcPtr = void* (*)();
using NPN_GetJavaPeerProcPtr = void* (*)(NPP instance);
using NPN_GetURLNotifyProcPtr = NPError (*)(NPP instance, const char* url, const char* window,
                                            void* notifyData);
using NPN_PostURLNotifyProcPtr = NPError (*)(NPP instance, const char* url, const char* window, uint32_t len,
                                             const char* buf, NPBool file, void* notifyData);
using NPN_GetValueProcPtr = NPError (*)(NPP instance, NPNVariable variable, void* value);
using NPN_SetValueProcPtr = NPError (*)(NPP instance, NPPVariable variable, void* value);
using NPN_InvalidateRectProcPtr = void (*)(NPP instance, NPRect* invalidRect);
using NPN_InvalidateRegionProcPtr = void (*)(NPP instance, NPRegion invalidRegion);
using NPN_ForceRedrawProcPtr = void (*)(NPP instance);

// The browser's table, given to NP_Initialize.
struct NPNetscapeFuncs
{
    uint16_t size;
    uint16_t version;
    NPN_GetURLProcPtr geturl;
    NPN_PostURLProcPtr posturl;
    NPN_RequestReadProcPtr requestread;
    NPN_NewStreamProcPtr newstream;
    NPN_WriteProcPtr write;
    NPN_DestroyStreamProcPtr destroystream;
    NPN_StatusProcPtr status;
    NPN_UserAgentProcPtr uagent;
    NPN_MemAllocProcPtr memalloc;
    NPN_MemFreeProcPtr memfree;
    NPN_MemFlushProcPtr memflush;
    NPN_ReloadPluginsProcPtr reloadplugins;
    NPN_GetJavaEnvProcPtr getJavaEnv;
    NPN_GetJavaPeerProcPtr getJavaPeer;
    NPN_GetURLNotifyProcPtr geturlnotify;
    NPN_PostURLNotifyProcPtr posturlnotify;
    NPN_GetValueProcPtr getvalue;
    NPN_SetValueProcPtr setvalue;
    NPN_InvalidateRectProcPtr invalidaterect;
    NPN_InvalidateRegionProcPtr invalidateregion;
    NPN_ForceRedrawProcPtr forceredraw;
};

// ---- The DLL's exports
using NP_GetEntryPointsFunc = NPError(NP_EXPORTCALL*)(NPPluginFuncs* pFuncs);
using NP_InitializeFunc = NPError(NP_EXPORTCALL*)(NPNetscapeFuncs* pFuncs);
using NP_ShutdownFunc = NPError(NP_EXPORTCALL*)();
