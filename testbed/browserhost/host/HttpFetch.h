// One transfer of the browser host, on a thread of its own: an http address
// on loopback (GET or POST, redirections followed) or a local file. The
// owner takes the body as it arrives; with a window given, a message tells
// it that something new is there (at most one such message waits at a time).
#pragma once

#include "WinHandle.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace FdBrowserHost
{
constexpr int kMaxRedirects = 5;
constexpr DWORD kReceiveTimeoutMs = 30000;
constexpr std::size_t kReadPieceBytes = 16384;

struct SFetchRequest
{
    std::string strUrl; // absolute, no fragment
    std::string strMethod = "GET";
    std::string strBody;
    std::string strContentType;
    std::string strUserAgent;
};

// What a transfer has told so far.
struct SFetchState
{
    bool boHeaders = false;    // status and type known; the body may flow
    int iStatus = 0;           // HTTP status (200 for a file)
    std::string strFinalUrl;   // after redirections
    std::string strType;       // MIME type without parameters
    std::string strHeaderText; // the response's header lines
    bool boHasLength = false;
    uint64_t qwLength = 0;
    bool boDone = false;  // nothing more will come
    bool boOk = false;    // with boDone: the whole body came with a status below 400
    std::string strError; // with boDone and not boOk
};

class CFetch
{
public:
    CFetch(const SFetchRequest& request, HWND hwndNotify, UINT uMsg, WPARAM wId);
    CFetch(const CFetch&) = delete;
    CFetch& operator=(const CFetch&) = delete;
    // Cancels the transfer and waits for its thread.
    ~CFetch();

    void vCancel();
    // Moves the body bytes received since the last call to *pData (appended)
    // and copies the state.
    void vTake(std::string* pData, SFetchState* pState);
    // Waits until the transfer is over; false after dwMs.
    bool boWaitDone(DWORD dwMs);

private:
    void vRun();
    void vRunHttp();
    void vRunFile();
    void vPublishHeaders(const SFetchState& headers);
    void vPublishData(const char* p, std::size_t n);
    void vFinish(bool boOk, const std::string& error);
    void vNotify();

    SFetchRequest m_request;
    HWND m_hwnd;
    UINT m_uMsg;
    WPARAM m_wId;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    SFetchState m_state;
    std::string m_data;
    uintptr_t m_sock = 0; // the open connection (a SOCKET), for vCancel; 0 when none
    std::atomic<bool> m_boCancel{false};
    std::atomic<bool> m_boPosted{false};
    std::thread m_thread;
};

// The MIME type a file or an answer without Content-Type gets from its
// address's extension.
std::string strTypeFromExtension(const std::string& url);
} // namespace FdBrowserHost
