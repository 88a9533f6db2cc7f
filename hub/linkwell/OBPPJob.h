// A job for the page: run on the hub's main thread, it calls the plug-in's
// callback ("TURL", "BFRM", "NUMERR" for an error job, then "SEND"), or drops
// a page object's callback. Jobs travel to the main thread as kMsgPageJob
// posted to its job window, so that modal loops (the tray menu, message
// boxes) dispatch them instead of losing them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "DiagOBPP.h"

class CLinkwellV2;

class COBPPJob
{
public:
    enum EKind
    {
        CallUrl = 0,
        BREAKCNXWITHOBPP = 1,
    };
    static constexpr int32_t kNoError = -1;

    // A CallUrl job for a callback (referenced here; null: no callback).
    static std::unique_ptr<COBPPJob> lpCallUrl(IDiagCmpt2OBPP* lpCallback, const std::string& url,
                                               const std::string& frame, int32_t lErrorNumber);
    // A CallUrl job made off the main thread: it calls the callback of the
    // newest page object when it runs, if there is one then.
    static std::unique_ptr<COBPPJob> lpCallUrlForNewestPage(const std::string& url, const std::string& frame,
                                                            int32_t lErrorNumber);
    // Drops the page object's callback (the object is referenced here).
    static std::unique_ptr<COBPPJob> lpBreak(CLinkwellV2* lpObject);
    ~COBPPJob();
    COBPPJob(const COBPPJob&) = delete;
    COBPPJob& operator=(const COBPPJob&) = delete;

    // The window that receives the jobs (the main thread's); null: none, jobs
    // are freed when posted.
    static void vSetTarget(HWND hWindow);
    // Posts the job to the main thread; a job that cannot be posted is freed.
    static void vPostJob(std::unique_ptr<COBPPJob> lpJob);
    // The job a posted kMsgPageJob carries (its first parameter), taken back.
    static std::unique_ptr<COBPPJob> lpFromMessage(WPARAM wParam);
    // On the main thread: runs the job and frees it. What it throws is
    // logged and goes no further, so that no job unwinds through a window
    // procedure or the message loop.
    static void vRunAndFree(std::unique_ptr<COBPPJob> lpJob);

    EKind eGetKind() const { return m_eKind; }
    const std::string& GetUrl() const { return m_url; }
    const std::string& GetFrame() const { return m_frame; }
    int32_t lGetErrorNumber() const { return m_lErrorNumber; }

private:
    void vExecute();

    COBPPJob(EKind eKind, const std::string& url, const std::string& frame, int32_t lErrorNumber);

    EKind m_eKind;
    std::string m_url;
    std::string m_frame;
    int32_t m_lErrorNumber;
    IDiagCmpt2OBPP* m_lpCallback = nullptr;
    bool m_boNewestPage = false;
    CLinkwellV2* m_lpObject = nullptr;
};
