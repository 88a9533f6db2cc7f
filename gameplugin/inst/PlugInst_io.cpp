// CPlugInst: the browser side (addresses, HTML, downloads, answers to pages)
// and the state the display draws.
#include "PlugInst.h"

#include "AnswerUrl.h"
#include "CmptVocabulary.h"
#include "ManageDL.h"
#include "PlugTrace.h"
#include "ProgressGeometry.h"

#include <cstring>

void CPlugInst::vOpenUrl(const char* lpszUrl, const char* lpszFrame, uint32_t dwExpectedSize)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::lpNPN_GetURL", "(url=%s, frame=%s)", sz(lpszUrl),
                     lpszFrame ? lpszFrame : "(null)");
    if (!lpszUrl || !m_lpBrowser)
        return;
    m_lpBrowser->vOpenUrl(lpszUrl, lpszFrame, dwExpectedSize);
}

void CPlugInst::vOpenUrlList(const char* lpszList, const char* lpszDefaultFrame)
{
    CParamList list(CParamList::kszSeparator);
    if (lpszList)
        list.boParse(lpszList, std::strlen(lpszList), false, false);
    const char* lpszFrame = list.lpszGetValue("FRAME");
    vOpenUrl(list.lpszGetValue("URL"), lpszFrame && *lpszFrame ? lpszFrame : lpszDefaultFrame);
}

void CPlugInst::vStartDownload(const char* lpszUrl, bool boNewNaming, uint32_t dwExpectedSize)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::lpNPN_GetURL", "(url=%s, frame=(null))", sz(lpszUrl));
    if (!lpszUrl || !m_lpBrowser)
        return;
    m_lpBrowser->vStartDownload(lpszUrl, boNewNaming, dwExpectedSize);
}

void CPlugInst::vDownload_Abort(const char* lpszUrl, bool boDeleteFile)
{
    vPlugTrace("CPlugInst::vDownload_Abort -> annule le download");
    if (m_lpBrowser && lpszUrl)
        m_lpBrowser->vAbortDownload(lpszUrl, boDeleteFile);
}

void CPlugInst::vDownloadEnded(const char* lpszUrl, bool boOk, const char* lpszPath, HRESULT hrErr)
{
    CManageDL::Get().vFinish(this, sz(lpszUrl), boOk, lpszPath, hrErr);
}

void CPlugInst::vPushHTMLToBrowser(const char* lpszHtml, const char* lpszFrame)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vPushHTMLToBrowser", "(frame=%s)", sz(lpszFrame));
    if (!m_lpBrowser || !m_lpBrowser->boPushHtml(sz(lpszHtml), lpszFrame))
        vSendErrorToServer(kErrPushHtml, 0);
}

void CPlugInst::vSendToServer(CParamList& list)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vSendToServer");
    const std::string strTarget = sz(list.lpszGetValue(CommonOB::kszKeyTUrl));
    const char* lpszFrame = list.lpszGetValue(CommonOB::kszKeyBFrm);
    const std::string strFrame = sz(lpszFrame);
    const std::string strParams = AnswerUrl::strSerializeForPage(list);
    const std::string strPage = !strTarget.empty() ? strTarget : m_strDialogPage;
    if (strPage.empty())
    {
        vPlugTrace("!ERREUR! CPlugInst::vSendToServer -> page de dialogue vers le serveur non définie");
        return;
    }
    vOpenUrl(AnswerUrl::strBuild(strPage, strParams).c_str(), lpszFrame ? strFrame.c_str() : nullptr);
}

void CPlugInst::vSendErrorToServer(uint32_t dwError, uint32_t dwWin32Error)
{
    CPlugTrace trace(m_szTraceLabel, "CPlugInst::vSendErrorToServer", "(%ld, %ld)",
                     static_cast<long>(dwError), static_cast<long>(dwWin32Error));
    char szError[CommonOB::kNumberTextSize], szWin32[CommonOB::kNumberTextSize];
    CParamList list(CParamList::kszSeparator);
    list.vAdd(CommonOB::kszKeyAppId, "0");
    list.vAdd(CommonOB::kszKeyJobId, "0");
    list.vAdd(CommonOB::kszKeyNumErr, CommonOB::lpszFormatNumber(dwError, szError, sizeof szError));
    list.vAdd(CommonOB::kszKeyWin32Err, CommonOB::lpszFormatNumber(dwWin32Error, szWin32, sizeof szWin32));
    if (!m_strErrUrl.empty())
        list.vAdd(CommonOB::kszKeyTUrl, m_strErrUrl.c_str());
    if (!m_strErrFrame.empty())
        list.vAdd(CommonOB::kszKeyBFrm, m_strErrFrame.c_str());
    vSendToServer(list);
}

void CPlugInst::vRepaint(const RECT* lprc)
{
    if (m_lpBrowser)
        m_lpBrowser->vRepaint(lprc);
}

void CPlugInst::vCountDownload(uint32_t dwExpected)
{
    m_dwBytesExpected += dwExpected;
    ++m_dwDownloadsCounted;
}

bool CPlugInst::boAddReceived(uint32_t dwBytes)
{
    if (!m_dwBytesExpected || !m_dwDownloadsCounted)
        return false;
    m_dwBytesReceived += dwBytes;
    const uint32_t dwBefore = m_dwLitCells;
    vComputeProgress();
    return dwBefore != m_dwLitCells;
}

void CPlugInst::vDownloadDone()
{
    if (m_dwDownloadsCounted)
        --m_dwDownloadsCounted;
    vComputeProgress();
}

void CPlugInst::vComputeProgress()
{
    if (m_dwBytesExpected && m_dwDownloadsCounted)
        m_dwLitCells = ProgressGeometry::ulLitCells(m_dwCellCount, m_dwBytesReceived, m_dwBytesExpected,
                                                    m_dwDownloadsCounted);
    else
        // The bytes received go too: the next download starts its bar empty.
        m_dwBytesExpected = m_dwDownloadsCounted = m_dwLitCells = m_dwBytesReceived = 0;
}

bool CPlugInst::boSetMessage(uint32_t dwIndex, const char* lpszText)
{
    if (dwIndex >= kMessageCount)
        return false;
    m_strMessages[dwIndex] = sz(lpszText);
    m_aboMessageSet[dwIndex] = lpszText != nullptr;
    return true;
}

const char* CPlugInst::lpszGetMessage(uint32_t dwIndex) const
{
    return dwIndex < kMessageCount && m_aboMessageSet[dwIndex] ? m_strMessages[dwIndex].c_str() : nullptr;
}

void CPlugInst::vSetPicture(HENHMETAFILE hPicture)
{
    if (m_hPicture && m_hPicture != hPicture)
        DeleteEnhMetaFile(m_hPicture);
    m_hPicture = hPicture;
}
