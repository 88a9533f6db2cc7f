#include "ImplCallback.h"

#include "AnsiString.h"
#include "ChooseDirDialog.h"
#include "CmptVocabulary.h"
#include "FdBstr.h"
#include "FdUi.h"
#include "FolderBrowser.h"
#include "FdBstr.h"
#include "InstallUtils.h"
#include "KillableProcessMap.h"
#include "ManageDL.h"
#include "PlugInst.h"
#include "PlugTrace.h"
#include "WinRegKey.h"
#include "WinErrorText.h"

#include <cstring>
#include <new>
#include <vector>

namespace
{
constexpr UINT kTaskModal = 0x2000;
constexpr size_t kRegTextMax = 256;
constexpr size_t kServerPathMax = 2047;
constexpr const char* kszAppsKey = "Software\\FdGame";

std::string strAnsi(BSTR bstr)
{
    return FdCom::strFromBstr(bstr);
}

// Local-server paths of every component registered under the key, at any depth.
void vCollectServers(HKEY hKey, int iDepth, std::vector<std::string>* lpvecPaths)
{
    char szClsid[kRegTextMax + 1] = "";
    DWORD dwSize = kRegTextMax;
    if (RegQueryValueExA(hKey, "CLSID", nullptr, nullptr, reinterpret_cast<BYTE*>(szClsid), &dwSize) ==
        ERROR_SUCCESS)
    {
        szClsid[dwSize < kRegTextMax ? dwSize : kRegTextMax] = '\0';
        CLSID clsid;
        if (SUCCEEDED(CLSIDFromString(FdCom::CBstr(szClsid).bstr(), &clsid)))
        {
            const std::string strKey = "CLSID\\" + FdCom::strGuidText(clsid) + "\\LocalServer32";
            FdWin::CRegKey server;
            char szRaw[kServerPathMax + 1] = "";
            DWORD dwRaw = kServerPathMax;
            if (server.lOpen(HKEY_CLASSES_ROOT, strKey.c_str(), KEY_READ) == ERROR_SUCCESS &&
                RegQueryValueExA(server.h(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(szRaw),
                                 &dwRaw) == ERROR_SUCCESS)
            {
                szRaw[dwRaw < kServerPathMax ? dwRaw : kServerPathMax] = '\0';
                char szExpanded[kServerPathMax + 1] = "";
                const DWORD n = ExpandEnvironmentStringsA(szRaw, szExpanded, sizeof szExpanded);
                lpvecPaths->push_back(n > 0 && n <= sizeof szExpanded ? szExpanded : szRaw);
            }
        }
    }
    if (iDepth >= CImplCallback::kServerKeyDepthMax)
        return;
    for (DWORD i = 0;; ++i)
    {
        char szName[kRegistryKeyNameMax + 1];
        DWORD dwName = sizeof szName;
        if (RegEnumKeyExA(hKey, i, szName, &dwName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        FdWin::CRegKey sub;
        if (sub.lOpen(hKey, szName, KEY_READ) == ERROR_SUCCESS)
            vCollectServers(sub.h(), iDepth + 1, lpvecPaths);
    }
}

// Element i of a one-dimensional array of BSTR, empty when missing or null.
std::string strElement(SAFEARRAY* lpsa, LONG lIndex)
{
    LONG lLow = 0, lHigh = -1;
    VARTYPE vt = VT_EMPTY;
    if (!lpsa || SafeArrayGetDim(lpsa) != 1 || FAILED(SafeArrayGetVartype(lpsa, &vt)) || vt != VT_BSTR ||
        FAILED(SafeArrayGetLBound(lpsa, 1, &lLow)) || FAILED(SafeArrayGetUBound(lpsa, 1, &lHigh)))
        return std::string();
    const LONG lAt = lLow + lIndex;
    if (lAt > lHigh)
        return std::string();
    BSTR bstr = nullptr;
    if (FAILED(SafeArrayGetElement(lpsa, const_cast<LONG*>(&lAt), &bstr)))
        return std::string();
    std::string s = strAnsi(bstr);
    SysFreeString(bstr);
    return s;
}
} // namespace

CImplCallback::CImplCallback() : m_pending(CParamList::kszSeparator) {}

void CImplCallback::vAttach(CPlugInst* lpThis, IDiagOBPP2Cmpt* lpComponent)
{
    m_lpThis = lpThis;
    m_component = FdWin::TComRef<IDiagOBPP2Cmpt>(lpComponent);
}

void CImplCallback::vDetach()
{
    m_lpThis = nullptr;
    m_component.vReset();
}

const char* CImplCallback::lpszLabel() const
{
    return m_lpThis ? m_lpThis->lpszGetTraceLabel() : nullptr;
}

HWND CImplCallback::hOwner() const
{
    return m_lpThis ? m_lpThis->hGetWindow() : nullptr;
}

STDMETHODIMP CImplCallback::SetParameter(BSTR bstrName, BSTR bstrValue)
{
    try
    {
        CPlugTrace trace(lpszLabel(), "CImplCallback::SetParameter", "(bstrName=%s, bstrValue=%s)",
                         strAnsi(bstrName).c_str(), strAnsi(bstrValue).c_str());
        if (!m_lpThis)
            return S_FALSE;
        m_pending.vAdd(static_cast<const wchar_t*>(bstrName), static_cast<const wchar_t*>(bstrValue));
        return S_OK;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

STDMETHODIMP CImplCallback::GetParameter(BSTR bstrName, BSTR* bstrValue)
{
    CPlugTrace trace(lpszLabel(), "CImplCallback::GetParameter", "(bstrName=%s)", strAnsi(bstrName).c_str());
    if (!bstrValue)
        return E_POINTER;
    *bstrValue = nullptr;
    return m_lpThis ? S_OK : S_FALSE;
}

STDMETHODIMP CImplCallback::ExecuteCmd(BSTR bstrName)
{
    try
    {
        const std::string strName = strAnsi(bstrName);
        // Parameters set from now on belong to the next command, even when this one fails.
        CParamList params(m_pending);
        m_pending.vClear();
        CPlugTrace trace(lpszLabel(), "CImplCallback::ExecuteCmd", "(bstrName=%s, paramètres=%s)",
                         strName.c_str(), sz(params.lpszSerialize(false)));
        if (!m_lpThis)
        {
            vPlugTrace("!ERREUR! CImplCallback::ExecuteCmd -> m_lpThis est NULL !");
            return S_FALSE;
        }
        // The component may leave during the command: keep this object alive.
        const FdWin::TComRef<IDiagCmpt2OBPP2> self(this);
        vRunCommand(strName.c_str(), params);
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

void CImplCallback::vRunCommand(const char* lpszName, const CParamList& params)
{
    using CommonOB::ECmptCommand;
    CPlugInst* lpThis = m_lpThis;
    IDiagOBPP2Cmpt* lpComponent = m_component.p();
    switch (CommonOB::eFindCmptCommand(lpszName))
    {
    case ECmptCommand::Send:
    {
        CParamList copy(params);
        lpThis->vSendToServer(copy);
        break;
    }
    case ECmptCommand::Download:
    case ECmptCommand::Download2:
    {
        const bool boNew = CommonOB::eFindCmptCommand(lpszName) == ECmptCommand::Download2;
        const uint32_t dwSize = static_cast<uint32_t>(CommonOB::lGetNumber(params, CommonOB::kszKeySize));
        const uint32_t dwUserData =
            boNew ? static_cast<uint32_t>(CommonOB::lGetNumber(params, CommonOB::kszKeyDlUsrd)) : 0;
        CManageDL::Get().boAdd(lpThis, sz(params.lpszGetValue(CommonOB::kszKeyUrl)), lpComponent, dwSize,
                               dwUserData, boNew);
        break;
    }
    case ECmptCommand::SetMsg:
    {
        const uint32_t dwLine = static_cast<uint32_t>(CommonOB::lGetNumber(params, CommonOB::kszKeyNumMsg));
        if (lpThis->boSetMessage(dwLine, params.lpszGetValue(CommonOB::kszKeyTextMsg)))
        {
            const int32_t iHeight = lpThis->iGetLineHeight();
            const RECT rc = {0, static_cast<LONG>(dwLine) * iHeight, CPlugInst::kMessageBandRight,
                             static_cast<LONG>(dwLine + 1) * iHeight};
            lpThis->vRepaint(&rc);
        }
        break;
    }
    case ECmptCommand::SendB:
        lpThis->vPushHTMLToBrowser(params.lpszGetValue(CommonOB::kszKeyFrmData),
                                   params.lpszGetValue(CommonOB::kszKeyFrmName));
        break;
    case ECmptCommand::ExecA:
    {
        const char* lpszAction = sz(params.lpszGetValue(CommonOB::kszKeyAData));
        lpThis->vExecuteAction(lpszAction, std::strlen(lpszAction));
        break;
    }
    case ECmptCommand::ShowPb:
        lpThis->vSetShowProgress(true);
        break;
    case ECmptCommand::HidePb:
        lpThis->vSetShowProgress(false);
        break;
    case ECmptCommand::DlCancel:
        CManageDL::Get().vRemove(
            lpComponent, static_cast<uint32_t>(CommonOB::lGetNumber(params, CommonOB::kszKeyDlUsrd)), false);
        break;
    case ECmptCommand::ChooseDir:
        vChooseDirectory(params);
        break;
    case ECmptCommand::MsgBox:
        vMessageBox(params);
        break;
    case ECmptCommand::Unknown:
        break;
    }
}

void CImplCallback::vAnswer(const char* lpszKey, const std::string& strValue, const char* lpszCommand)
{
    // The component may have left while a box was shown.
    const FdWin::TComRef<IDiagOBPP2Cmpt> component = m_component;
    if (!component)
        return;
    component->SetParameter(FdCom::CBstr(lpszKey).bstr(), FdCom::CBstr(strValue).bstr());
    component->ExecuteCmd(FdCom::CBstr(lpszCommand).bstr());
}

void CImplCallback::vMessageBox(const CParamList& params)
{
    CPlugTrace trace(lpszLabel(), "CImplCallback::vMessageBox");
    const char* lpszTitle = sz(params.lpszGetValue(CommonOB::kszKeyTitle));
    const char* lpszText = sz(params.lpszGetValue(CommonOB::kszKeyText));
    const UINT uType = static_cast<UINT>(CommonOB::lGetNumber(params, CommonOB::kszKeyType)) | kTaskModal;
    const HWND hwnd = hOwner();
    const int iResult = FdUi::iMessageBox(hwnd, lpszText, lpszTitle, uType);
    vPlugTrace("CImplCallback::vMessageBox -> %ld=MessageBox(%p, \"%s\", \"%s\", %ld)",
               static_cast<long>(iResult), static_cast<void*>(hwnd), lpszText, lpszTitle,
               static_cast<long>(uType));
    char szResult[CommonOB::kNumberTextSize];
    vAnswer(CommonOB::kszKeyResult,
            CommonOB::lpszFormatNumber(static_cast<uint32_t>(iResult), szResult, sizeof szResult),
            CommonOB::kszCmdMsgBoxRes);
}

void CImplCallback::vChooseDirectory(const CParamList& params)
{
    CPlugTrace trace(lpszLabel(), "CImplCallback::vChooseDirectory");
    std::string strPath;
    const FolderBrowser::EResult eResult = FolderBrowser::eBrowse(
        hOwner(), sz(params.lpszGetValue(CommonOB::kszKeyTitle)), FolderBrowser::kFlags, &strPath);
    // Only a chosen folder is answered; every other outcome gives an empty path.
    if (eResult != FolderBrowser::EResult::Chosen)
        strPath.clear();
    switch (eResult)
    {
    case FolderBrowser::EResult::NoAllocator:
        vPlugTrace(
            "!ERREUR! CImplCallback::vChooseDirectory -> impossible de récupérer un pointeur sur IMalloc !");
        break;
    case FolderBrowser::EResult::Cancelled:
        vPlugTrace("CImplCallback::vChooseDirectory -> l'utilisateur n'a pas choisi de répertoire");
        break;
    case FolderBrowser::EResult::NoPath:
        vPlugTrace("!ERREUR! CImplCallback::vChooseDirectory -> la fonction SHGetPathFromIDList a échoué !");
        break;
    case FolderBrowser::EResult::Chosen:
        vPlugTrace("CImplCallback::vChooseDirectory -> l'utilisateur a choisi le répertoire %s",
                   strPath.c_str());
        break;
    }
    vAnswer(CommonOB::kszKeyPathDir, strPath, CommonOB::kszCmdChooseDirRes);
}

STDMETHODIMP CImplCallback::CmptOut()
{
    CPlugTrace trace(lpszLabel(), "CImplCallback::CmptOut");
    if (!m_lpThis)
        return S_FALSE;
    const FdWin::TComRef<IDiagCmpt2OBPP2> self(this);
    m_lpThis->vRemoveAppFromList(this);
    // Whether found or not, this callback serves no instance any more.
    vDetach();
    return S_OK;
}

STDMETHODIMP CImplCallback::Display(BSTR bstrZoneName, SAFEARRAY* Bytes)
{
    const std::string strZone = strAnsi(bstrZoneName);
    CPlugTrace trace(lpszLabel(), "CImplCallback::Display", "(bstrZoneName=%s)", strZone.c_str());
    if (!m_lpThis)
        return S_FALSE;
    CPlugInst* lpZone = CPlugInst::lpFindInstanceByName(strZone.c_str());
    if (!lpZone)
    {
        vPlugTrace("!ERREUR! CImplCallback::Display -> la zone %s n'a pas été trouvée !", strZone.c_str());
        return E_INVALIDARG;
    }
    lpZone->vSetPicture(nullptr);
    void* lpData = nullptr;
    const HRESULT hr = Bytes ? SafeArrayAccessData(Bytes, &lpData) : E_INVALIDARG;
    if (FAILED(hr))
    {
        vPlugTrace("!ERREUR! CImplCallback::Display -> erreur %.8X (%s) à l'appel de SafeArrayAccessData !",
                   static_cast<unsigned>(hr), strErrorText(static_cast<uint32_t>(hr)).c_str());
    }
    else
    {
        const UINT uBytes =
            SafeArrayGetDim(Bytes) == 1 ? Bytes->rgsabound[0].cElements * Bytes->cbElements : 0;
        lpZone->vSetPicture(SetEnhMetaFileBits(uBytes, static_cast<const BYTE*>(lpData)));
        SafeArrayUnaccessData(Bytes);
    }
    lpZone->vRepaint(nullptr);
    return S_OK;
}

STDMETHODIMP CImplCallback::GetZoneExtents(BSTR bstrZoneName, unsigned long* lpdwWidth,
                                           unsigned long* lpdwHeight)
{
    const std::string strZone = strAnsi(bstrZoneName);
    CPlugTrace trace(lpszLabel(), "CImplCallback::GetZoneExtents", "(bstrZoneName=%s)", strZone.c_str());
    if (!m_lpThis)
        return S_FALSE;
    CPlugInst* lpZone = CPlugInst::lpFindInstanceByName(strZone.c_str());
    if (!lpZone)
    {
        vPlugTrace("!ERREUR! CImplCallback::GetZoneExtents -> la zone %s n'a pas été trouvée !",
                   strZone.c_str());
        return E_INVALIDARG;
    }
    if (lpdwWidth)
        *lpdwWidth = lpZone->dwGetWidth();
    if (lpdwHeight)
        *lpdwHeight = lpZone->dwGetHeight();
    return S_OK;
}

STDMETHODIMP CImplCallback::MsgBox(BSTR bstrText, BSTR bstrTitle, long lType, long* lplResult)
{
    CPlugTrace trace(lpszLabel(), "CImplCallback::MessageBox");
    if (!m_lpThis)
        return S_FALSE;
    const std::string strText = strAnsi(bstrText);
    const std::string strTitle = strAnsi(bstrTitle);
    const HWND hwnd = hOwner();
    const int iResult = FdUi::iMessageBox(hwnd, strText.c_str(), strTitle.c_str(), static_cast<UINT>(lType));
    vPlugTrace("CImplCallback::vMessageBox -> %ld=MessageBox(%p, \"%s\", \"%s\", %ld)",
               static_cast<long>(iResult), static_cast<void*>(hwnd), strText.c_str(), strTitle.c_str(),
               lType);
    if (lplResult)
        *lplResult = iResult;
    return S_OK;
}

STDMETHODIMP CImplCallback::ChooseDir(SAFEARRAY* lpsaMessages, long boMustCreating, long* pboWasCreated,
                                      BSTR* lpbstrPathChoosen)
{
    try
    {
        CPlugTrace trace(lpszLabel(), "CImplCallback::ChooseDir", "(boMustCreating=%ld)", boMustCreating);
        if (pboWasCreated)
            *pboWasCreated = 0;
        if (lpbstrPathChoosen)
            *lpbstrPathChoosen = nullptr;
        if (!m_lpThis)
            return S_FALSE;
        SChooseDirTexts texts;
        texts.strSubFolder = strElement(lpsaMessages, 0);
        texts.strText = strElement(lpsaMessages, 1);
        texts.strRefusal = strElement(lpsaMessages, 2);
        texts.strRefusalTitle = strElement(lpsaMessages, 3);
        texts.strCaption = strElement(lpsaMessages, 4);

        std::string strProposed;
        char szProgramFiles[MAX_PATH + 1] = "";
        if (CPlugInst::lGetProgramFilesDir(szProgramFiles, MAX_PATH) == ERROR_SUCCESS)
            strProposed = std::string(szProgramFiles) + "\\" + texts.strSubFolder;

        std::string strPath;
        const INT_PTR iResult = iRunChooseDirDialog(hOwner(), texts, strProposed, &strPath);
        if (lpbstrPathChoosen)
            *lpbstrPathChoosen = FdCom::CBstr(strPath).bstrDetach();
        if (iResult == IDOK && boMustCreating)
        {
            std::string strFolder = strPath;
            if (strFolder.empty() || strFolder.back() != '\\')
                strFolder += '\\';
            bool boExisted = true;
            if (!boCreateDirectoryChain(strFolder.c_str(), &boExisted))
            {
                vPlugTrace("!ERREUR! CImplCallback::ChooseDir -> Impossible de créer le répertoire %s !",
                           strPath.c_str());
                return HRESULT_FROM_WIN32(ERROR_CANNOT_MAKE);
            }
            if (pboWasCreated)
                *pboWasCreated = boExisted ? 0 : 1;
        }
        if (iResult == IDOK)
            return S_OK;
        return iResult == IDCANCEL ? E_ABORT : E_FAIL;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

STDMETHODIMP CImplCallback::GetKillableProcess(SAFEARRAY** lplpsaResultList)
{
    try
    {
        CPlugTrace trace(lpszLabel(), "CImplCallback::GetKillableProcess");
        if (!lplpsaResultList)
            return E_POINTER;
        if (!m_lpThis)
            return S_FALSE;
        std::vector<std::string> texts;
        if (!CKillableProcessMap::Get().boGetList(&texts))
            return E_FAIL;
        FdWin::CRegKey key;
        if (key.lOpen(HKEY_LOCAL_MACHINE, kszAppsKey, KEY_READ) == ERROR_SUCCESS)
            vCollectServers(key.h(), 0, &texts);

        SAFEARRAY* lpsa = *lplpsaResultList;
        LONG lNext = 0;
        if (!lpsa)
        {
            // None given (a caller in another process): a new array.
            lpsa = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
            if (!lpsa)
                return E_OUTOFMEMORY;
            *lplpsaResultList = lpsa;
        }
        else
        {
            VARTYPE vt = VT_EMPTY;
            LONG lLow = 0, lHigh = -1;
            if (SafeArrayGetDim(lpsa) != 1 || FAILED(SafeArrayGetVartype(lpsa, &vt)) || vt != VT_BSTR ||
                FAILED(SafeArrayGetLBound(lpsa, 1, &lLow)) || FAILED(SafeArrayGetUBound(lpsa, 1, &lHigh)))
                return E_INVALIDARG;
            SAFEARRAYBOUND bound;
            bound.lLbound = lLow;
            bound.cElements = static_cast<ULONG>(lHigh - lLow + 1) + static_cast<ULONG>(texts.size());
            const HRESULT hr = SafeArrayRedim(lpsa, &bound);
            if (FAILED(hr))
                return hr;
            lNext = lHigh + 1 - lLow;
        }
        LONG lLow = 0;
        SafeArrayGetLBound(lpsa, 1, &lLow);
        for (const std::string& strText : texts)
        {
            LONG lAt = lLow + lNext++;
            FdCom::CBstr bstr(strText);
            const HRESULT hr = SafeArrayPutElement(lpsa, &lAt, bstr.bstr());
            if (FAILED(hr))
                return hr;
        }
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

STDMETHODIMP CImplCallback::GetProcessIdentifier(long* lpPID)
{
    CPlugTrace trace(lpszLabel(), "CImplCallback::GetProcessIdentifier");
    if (!lpPID)
        return E_POINTER;
    if (!m_lpThis)
    {
        *lpPID = 0;
        return S_FALSE;
    }
    *lpPID = static_cast<long>(GetCurrentProcessId());
    return S_OK;
}
