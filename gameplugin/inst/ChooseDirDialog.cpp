#include "ChooseDirDialog.h"

#include "DialogBase.h"
#include "FdComModule.h"
#include "FdUi.h"
#include "FolderBrowser.h"
#include "PathRules.h"
#include "PlugInstRes.h"

#include <vector>

namespace
{
constexpr size_t kRefusalMax = 1024;

std::string strDialogPath(HWND hwnd)
{
    char szPath[kChooseDirPathMax + 2] = "";
    GetDlgItemTextA(hwnd, IDC_CHOOSEDIR_PATH, szPath, sizeof szPath);
    return szPath;
}

bool boAllowed(const std::string& strPath)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, strPath.c_str(), -1, nullptr, 0);
    if (n <= 0)
        return false;
    std::vector<wchar_t> wide(static_cast<size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, strPath.c_str(), -1, wide.data(), n);
    return PathRules::bValidatePathName(wide.data());
}

void vShowRefusal(HWND hwnd, const SChooseDirTexts& texts)
{
    // The component's text, with its insert sequences left as they are.
    char szText[kRefusalMax] = "";
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_IGNORE_INSERTS, texts.strRefusal.c_str(),
                        0, 0, szText, sizeof szText, nullptr))
        szText[0] = '\0';
    FdUi::iMessageBox(hwnd, szText, texts.strRefusalTitle.c_str(), MB_OK | MB_ICONSTOP);
}

void vBrowse(HWND hwnd, const SChooseDirTexts& texts)
{
    std::string strFolder;
    if (FolderBrowser::eBrowse(hwnd, texts.strText.c_str(), FolderBrowser::kFolderFlags, &strFolder) !=
        FolderBrowser::EResult::Chosen)
        return;
    if (!texts.strSubFolder.empty())
    {
        if (strFolder.empty() || strFolder.back() != '\\')
            strFolder += '\\';
        strFolder += texts.strSubFolder;
    }
    SetDlgItemTextA(hwnd, IDC_CHOOSEDIR_PATH, strFolder.c_str());
}

class CChooseDirDialog : public FdWin::CDialogBase
{
public:
    CChooseDirDialog(const SChooseDirTexts& texts, const std::string& strProposed)
        : m_texts(texts), m_strProposed(strProposed)
    {
    }
    const std::string& strChosen() const { return m_strChosen; }

protected:
    INT_PTR iOnMessage(UINT uMsg, WPARAM wParam, LPARAM) override
    {
        const HWND hwnd = hWnd();
        switch (uMsg)
        {
        case WM_INITDIALOG:
            SetWindowTextA(hwnd, m_texts.strCaption.c_str());
            SetDlgItemTextA(hwnd, IDC_CHOOSEDIR_TEXT, m_texts.strText.c_str());
            SendDlgItemMessageA(hwnd, IDC_CHOOSEDIR_PATH, EM_LIMITTEXT, kChooseDirPathMax, 0);
            SetDlgItemTextA(hwnd, IDC_CHOOSEDIR_PATH, m_strProposed.c_str());
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam))
            {
            case IDC_CHOOSEDIR_BROWSE:
                vBrowse(hwnd, m_texts);
                return TRUE;
            case IDOK:
            {
                const std::string strPath = strDialogPath(hwnd);
                if (boAllowed(strPath))
                {
                    m_strChosen = strPath;
                    EndDialog(hwnd, IDOK);
                }
                else
                    vShowRefusal(hwnd, m_texts);
                return TRUE;
            }
            case IDCANCEL:
                EndDialog(hwnd, IDCANCEL);
                return TRUE;
            }
            break;
        }
        return FALSE;
    }

private:
    const SChooseDirTexts& m_texts;
    const std::string m_strProposed;
    std::string m_strChosen;
};
} // namespace

INT_PTR iRunChooseDirDialog(HWND hwndOwner, const SChooseDirTexts& texts, const std::string& strProposed,
                            std::string* lpstrChosen)
{
    CChooseDirDialog dialog(texts, strProposed);
    const INT_PTR iResult = dialog.iRunModal(FdUi::iDialogBoxParam, FdCom::CModule::Get().hModule(),
                                             MAKEINTRESOURCEA(IDD_CHOOSEDIR), hwndOwner);
    if (iResult == IDOK)
        *lpstrChosen = dialog.strChosen();
    return iResult;
}
