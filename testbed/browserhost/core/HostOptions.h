// The browser host's command line.
#pragma once

#include "NpApi.h"

#include <cstdint>
#include <string>
#include <vector>

namespace FdBrowserHost
{
constexpr uint32_t kMaxSessionMs = 24u * 3600u * 1000u;
constexpr uint32_t kMinWindowSide = 100;
constexpr uint32_t kMaxWindowSide = 4096;
constexpr std::size_t kMaxSteps = 64;
constexpr std::size_t kMaxTypedChars = 128; // of one "type:" step
constexpr std::size_t kMaxAwaitPath = 260;  // of one "await:" step

// What the host does to every plug-in instance, one step after another,
// once the page is up.
enum class EStep
{
    SameWindow, // NPP_SetWindow again with the same window
    NewWindow,  // NPP_SetWindow with a new window, then the old one goes
    NullWindow, // NPP_SetWindow with no window
    Resize,     // the plug-in's window gets a new size, then NPP_SetWindow
    Key,        // a key press (down and up) in each plug-in or control window
    FocusKey,   // a key press posted to the window that has the keyboard focus
    Type,       // a key press per character of a text, to the focused window
    Await       // the steps wait until a file exists (a sign from outside)
};

struct SStep
{
    EStep eKind = EStep::SameWindow;
    uint32_t a = 0;      // Resize: width; Key, FocusKey: virtual-key code
    uint32_t b = 0;      // Resize: height
    std::string strText; // Type: the characters; Await: the file's path
};

// The virtual-key code that types c without Shift: lower-case letters,
// digits and the space; 0 for any other character.
uint32_t dwTypedKey(char c);

struct SHostOptions
{
    std::string strPage;              // address or path of the page
    std::string strLog;               // log file ("" : FD_BROWSERHOST_LOG, else none)
    std::vector<std::string> plugins; // NPAPI plug-in DLLs ("" : np*.dll beside the host)
    uint16_t wNpVersion = static_cast<uint16_t>(NP_VERSION_MAJOR << 8 | NP_VERSION_MINOR);
    bool boNoActiveX = false;            // OBJECT elements with a classid are skipped, their content used
    uint32_t dwQuitAfterMs = 0;          // 0: no limit
    uint32_t dwQuitWhenIdleMs = 0;       // 0: no idle end
    bool boIdleDespiteTransfers = false; // an open transfer does not keep the session busy
    std::string strScreenshot;           // BMP written when the session ends
    uint32_t dwWidth = 800;              // client area
    uint32_t dwHeight = 600;
    std::vector<SStep> steps;
    bool boHelp = false;
};

// argv without the program name. False with a reason on an unknown option,
// a missing or bad value, or a second page.
bool boParseHostOptions(const std::vector<std::string>& args, SHostOptions* pOptions, std::string* pError);

// "same,new,null,resize:300x200,key:9,focuskey:13,type:hi bob,await:C:\\go"
bool boParseSteps(const std::string& text, std::vector<SStep>* pSteps, std::string* pError);

std::string strHostUsage();
} // namespace FdBrowserHost
