// The chat model's state as plain structs: the connection and the user's
// identity, the page parameters and variables with the pages' downloads and
// navigation, the configuration the CNF_ directives set, the message list
// with the talk line, the users with their groups and flood records, and the
// tables. The model holds one of each; the directive handlers, the window and
// the tests read and set them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ChatTables.h"
#include "ElementLists.h"
#include "FloodDetector.h"
#include "MessageFormats.h"

namespace ChatModel
{

// The connection, the user's identity in it and the start gate.
struct ChatConnection
{
    std::string strNick, strIrcNick, strNickHtml, strSelected, strRoom;
    std::string strIncidentMarker = "{";
    int32_t iMaxIncident = 10;
    std::string strNickCheckChars = "#{[";
    std::string strServer, strServerKey;
    uint16_t uPort = 6667;
    // Mode letters the room is created with (its key and flags come from
    // the room-key list).
    std::string strRoomModes;
    int64_t llRoomCreated = 0;
    // The connection state as shown (CLOSED 0 ... DISCONNECTING 5).
    int iDisplayState = 0;
    bool boConnected = false, boNickRefused = false, boSynced = false, boKeepOnJoin = false,
         boRememberLogin = false, boSingleIncident = false;
    // "CHAT_LOGON" accepted.
    bool boLoggedOn = false;
    std::string strPlaceholderColor, strPlaceholderContent;
    // The start gate (DYN_CNXWAIT, DYN_CNXGO, CNF_ tags).
    bool boGo = false, boWaiting = false;
    std::vector<std::string> waitList;
    // Set when the version gate refused the plug-in: the chat never connects.
    bool boVersionBlocked = false;
    std::string strLogonSaved;
    // Set by the start: the two connection-state values.
    int iStartState1 = 0, iStartState2 = 0;
    bool boViewBusy = false;
};

// The plug-in's page parameters, the variables, and the pages the chat
// downloads and navigates.
struct ChatPageParams
{
    std::string strOkUrl, strOkFrame, strNokUrl, strNokFrame;
    double dMinVer = -1.0, dMaxVer = -1.0, dMinSubVer = -1.0, dMaxSubVer = -1.0;
    std::string strDefRootPath, strCheckKey, strWaitText, strHtmlUiUrl, strBgColor;
    std::vector<std::string> contextVars;
    std::map<std::string, std::string> pageVars;
    std::string strCurDomain, strCurFullDomain;
    // Downloads: the requests, the first configuration document's address
    // (domain and full host, lower-cased), the frames to reload.
    CRequestedDownloads requestedDownloads;
    bool boConfigReceived = false, boFirstDocReceived = false, boFocusDone = false;
    std::string strConfigUrl, strConfigUrlFull;
    std::vector<std::string> reloadRequests;
    // "TARGET;address" entries that message 1041 carries out.
    std::vector<std::string> navQueue;
    bool boKeepAddresses = false;
    std::string strBaseAddress;
};

// What the configuration directives set: texts, switches, limits,
// substitutions, commands and nick functions.
struct ChatConfig
{
    // The message kinds that have a format.
    static constexpr int kKindCount = 34;
    // Per-kind texts.
    std::vector<std::string> formats, linkAttrs;
    std::string strMessLinkAttr;
    std::string stateTexts[6];
    std::string userFormats[2], userFormats2[2];
    // The user entries' attribute texts, plain (0) and selected (1).
    std::string userAttrs[2];
    std::string menuTexts[6];
    std::string strAutoLinkFormat, strAutoLinkText;
    std::string strNickErrEmpty, strNickErrRefused, strNickErrReserved, strNickErrForbidden, strLogonError;
    std::string zoneFrames[5];
    std::vector<std::string> badLogonStrings, reservedNicks, hiddenUsers;
    int32_t iMinNickLength = 3;
    // Logon page and texts added on joining.
    std::string strLogonPage, strLogonFrame, strConnectText, strInsertUrl, strWelcomeText;
    std::string strLogonNext;
    bool boLogonPageSwitch = false;
    // Switches and texts the configuration directives set.
    bool boNotifyLeaveOnKick = false, boLoginStore = false, boNavSwitch = false, boSndSwitch = false,
         boMultCnxShow = false, boMultCnxEnable = false, boNarnru = false, boGroupForm = false,
         boHandCursor = false, boSpbc = false, boArrf = false, boWhisperDisabled = false, boScld = false;
    std::string strWaitingForBuds, strBudsLeft, strAutoExecIrc, strAutoExecOther;
    bool boDebug = false, boNoHtml = false, boHideDefaultWhisper = false, boLocalEchoOff = false,
         boGroupDecoration = true;
    // Limits.
    long lHistoryLimit = 3000;
    size_t uMaxMessageLength = 500;
    // Substitutions, commands and nick functions.
    struct Substitution
    {
        std::string strKey, strReplacement;
        bool boWholeWord = false, boListable = false;
    };
    std::vector<Substitution> substitutions;
    struct Command
    {
        std::string strName, strInfo, strText;
        bool boListable = false, boSend = true, boHasParams = false, boTrusted = false;
        std::string strSeparator;
        int32_t iOperand = 1;
        std::string strFormat;
        // Drawn at random when the entry is made; the secret of its tags.
        int32_t iIdentity = 0;
    };
    std::vector<Command> commands;
    struct NickFunction
    {
        std::string strName, strHref, strTarget, strDynInsert, strExecCmd, strAddToGroup;
        int32_t iAddRank = 0;
        bool boAddNoNotify = false;
        std::string strRemFromGroup;
        bool boRemNoNotify = false, boExcludeMe = false, boOnlyMe = false;
        int32_t iGtRank = -1, iLtRank = 2147483647;
        std::vector<std::string> excludeGroups, onlyGroups;
    };
    std::vector<NickFunction> nickFunctions;
};

// The message list, its history text and the talk line's input history.
struct ChatMessages
{
    struct Message
    {
        std::string strText, strFrom, strTo;
    };
    std::vector<Message> messages;
    std::string strHistory;
    std::vector<std::string> inputHistory;
    size_t uInputCursor = 0; // inputHistory.size(): on a fresh line
    bool boRawMode = false, boPrivateSendLock = false;
};

// The room's users, the counters, the groups and the flood records.
struct ChatUsers
{
    // A user's flag: kept out of the shown list.
    static constexpr uint16_t kUserHidden = 1;
    std::vector<std::string> users;
    std::vector<uint16_t> userFlags;
    long lUsersInRoom = 0, lHighestUsers = 0, lPrivReceived = 0, lRoomReceived = 0, lJoined = 0, lLeft = 0,
         lKilled = 0, lPrivSent = 0, lRoomSent = 0;
    CGroupTable groups;
    CFloodDetector senderFlood, receiverFlood;
    std::map<std::string, std::unique_ptr<CFloodDetector>> floodRecords; // by nick
    std::map<std::string, std::string> floodRecordGroups;                // nick -> penalty group
    std::vector<std::string> penaltyGroups;
};

// The tables the directives fill.
struct ChatTableSet
{
    CRoomKeys roomKeys;
    CMultiPartTable multiParts;
    CMessageFormatTable messageFormats;
    CServerRules serverErrors, serverMessages;
    // Element lists, the frames that show each list, its item count and its
    // key count, and the lists changed since the last reload.
    CElementListTable elementLists;
    std::map<std::string, std::string> elistFrames, elistItemFrames, elistKeyFrames;
    std::vector<std::string> changedLists;
};

} // namespace ChatModel
