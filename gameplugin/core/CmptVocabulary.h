#pragma once
// The text protocol between the plug-in and the components it starts: the caller
// sets named string parameters one by one, then names a command word; the
// receiver runs the word with the parameters set since the previous command.
// Words and keys are compared without regard to case; numbers travel as signed
// decimal text ("%ld"), so 0xC8000004 arrives as a negative number.
#include <cstddef>
#include <cstdint>

class CParamList;

namespace CommonOB
{

// Command words from a component to the plug-in, in the order the plug-in tests them.
enum class ECmptCommand
{
    Send,
    Download,
    Download2,
    SetMsg,
    SendB,
    ExecA,
    ShowPb,
    HidePb,
    DlCancel,
    ChooseDir,
    MsgBox,
    Unknown, // any other word: ignored
};

constexpr const char* kszCmdSend = "SEND";
constexpr const char* kszCmdDownload = "DOWNLOAD";
constexpr const char* kszCmdDownload2 = "DOWNLOAD2";
constexpr const char* kszCmdSetMsg = "SETMSG";
constexpr const char* kszCmdSendB = "SENDB";
constexpr const char* kszCmdExecA = "EXECA";
constexpr const char* kszCmdShowPb = "SHOWPB";
constexpr const char* kszCmdHidePb = "HIDEPB";
constexpr const char* kszCmdDlCancel = "DLCANCEL";
constexpr const char* kszCmdChooseDir = "CHOOSEDIR";
constexpr const char* kszCmdMsgBox = "MSGBOX";

// Keys a component sets before those words.
constexpr const char* kszKeyTUrl = "TURL";       // SEND: page to open
constexpr const char* kszKeyBFrm = "BFRM";       // SEND: frame to open it in
constexpr const char* kszKeyUrl = "URL";         // DOWNLOAD, DOWNLOAD2
constexpr const char* kszKeySize = "SIZE";       // expected byte count, 0 when absent
constexpr const char* kszKeyDlUsrd = "DLUSRD";   // DOWNLOAD2, DLCANCEL and the answers: user data
constexpr const char* kszKeyTextMsg = "TEXTMSG"; // SETMSG: text
constexpr const char* kszKeyNumMsg = "NUMMSG";   // SETMSG: line number, 0 when absent
constexpr const char* kszKeyFrmData = "FRMDATA"; // SENDB: HTML text
constexpr const char* kszKeyFrmName = "FRMNAME"; // SENDB: frame
constexpr const char* kszKeyAData = "ADATA";     // EXECA: action buffer
constexpr const char* kszKeyTitle = "TITLE";     // CHOOSEDIR, MSGBOX
constexpr const char* kszKeyText = "TEXT";       // MSGBOX
constexpr const char* kszKeyType = "TYPE";       // MSGBOX: Win32 message-box style

// Words and keys from the plug-in to a component.
constexpr const char* kszKeyVersion = "VERSION"; // with SETVER right after binding
constexpr const char* kszCmdSetVer = "SETVER";
constexpr const char* kszPlugInVersion = "2000"; // the plug-in's interface version
constexpr const char* kszKeyCmd = "CMD";         // a launch parameter run as a command word
constexpr const char* kszKeyHwnd = "HWND";       // plug-in window as decimal text, no command follows
constexpr const char* kszCmdDlDone = "DLDONE";
constexpr const char* kszCmdDlErr = "DLERR";
constexpr const char* kszKeyDlPath = "DLPATH";
constexpr const char* kszKeyDlUrl = "DLURL";
constexpr const char* kszKeyDlErrc = "DLERRC";
constexpr const char* kszCmdMsgBoxRes = "MSGBOXRES";
constexpr const char* kszKeyResult = "RESULT"; // button id returned by the message box
constexpr const char* kszCmdChooseDirRes = "CHOOSEDIRRES";
constexpr const char* kszKeyPathDir = "PATHDIR"; // chosen folder, empty when none

// Keys of the plug-in's own error reports to pages, also used in components' SEND.
constexpr const char* kszKeyAppId = "APPID";
constexpr const char* kszKeyJobId = "JOBID";
constexpr const char* kszKeyNumErr = "NUMERR";
constexpr const char* kszKeyWin32Err = "WIN32ERR";

// Download error codes carried by DLERRC (besides the transfer's own HRESULT).
constexpr uint32_t kdwDlErrDecrypt = 0xC8000000;      // the file could not be decrypted
constexpr uint32_t kdwDlErrCreateFile = 0xC8000001;   // no file for the decrypted data
constexpr uint32_t kdwDlErrWriteFile = 0xC8000002;    // decrypted data not written
constexpr uint32_t kdwDlErrExpand = 0xC8000003;       // the file could not be expanded
constexpr uint32_t kdwDlErrNoFileForYou = 0xC8000004; // this requester got no file

// The component-to-plug-in word named by `lpszWord`, matched in the plug-in's order.
ECmptCommand eFindCmptCommand(const char* lpszWord);

// Decimal number held under `lpszKey`; 0 when the key is absent or not a number.
int32_t lGetNumber(const CParamList& list, const char* lpszKey);

// A 32-bit value as the signed decimal text that crosses the interfaces.
// Writes at most n-1 characters and a NUL; returns lpszOut.
char* lpszFormatNumber(uint32_t dwValue, char* lpszOut, size_t n);
constexpr size_t kNumberTextSize = 12; // "-2147483648" and its NUL

} // namespace CommonOB
