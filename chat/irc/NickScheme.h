// What the chat puts between the page and the wire: the nickname scheme
// (escaping, coded nicks carrying a client version, acceptance rules for
// nicks and texts, the nick prefix), coded room names, the connection key,
// the per-nick versions, the command attributes of trusted page commands,
// list splitting and the flagged-name list.
//
// Threads: the accept and code operations run on the reader and the owner's
// threads; the nick-version map is locked, the settings are set before
// connecting.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ChatIrc
{

// Version of this client, carried by coded nicks and texts.
constexpr double kClientVersion = 4.38;
// Version of coded room names when the room-name check switch is off.
constexpr double kRoomVersionUnchecked = 9.87;
// Longest second forbidden set.
constexpr size_t kMaxSecondSet = 16;

class CNickScheme
{
public:
    // Acceptance of received nicks and texts.
    enum Accept
    {
        kPlain = 0,     // everything as it is
        kCodedOnly = 1, // coded ones only, decoded
        kBoth = 2,      // coded ones decoded, plain ones kept
        kPlainOnly = 3, // a coded one is refused
    };

    CNickScheme();

    void vSetSendCoding(int value) { m_iSnd = value; }
    int iGetSendCoding() const { return m_iSnd; }
    void vSetReceiveAccept(int value) { m_iRcv = value; }
    int iGetReceiveAccept() const { return m_iRcv; }
    void vSetPrivateAccept(int value) { m_iSrcv = value; }
    int iGetPrivateAccept() const { return m_iSrcv; }
    void vSetNickAccept(int value) { m_iNcki = value; }
    int iGetNickAccept() const { return m_iNcki; }
    void vSetOwnNickCoding(int value) { m_iNcko = value; }
    int iGetOwnNickCoding() const { return m_iNcko; }
    void vSetMinNickVersion(double value) { m_dMinNckv = value; }
    double dGetMinNickVersion() const { return m_dMinNckv; }
    void vSetMaxNickVersion(double value) { m_dMaxNckv = value; }
    double dGetMaxNickVersion() const { return m_dMaxNckv; }
    void vSetRoomCoding(int value) { m_iChl = value; }
    int iGetRoomCoding() const { return m_iChl; }
    void vSetRoomCheck(bool value) { m_boChlvd = value; }
    bool boGetRoomCheck() const { return m_boChlvd; }
    void vSetNickPrefix(const std::string& value) { m_strPrefix = value; }
    const std::string& strGetNickPrefix() const { return m_strPrefix; }
    void vSetPrefixBlocking(bool value) { m_boPrefixBlock = value; }
    bool boGetPrefixBlocking() const { return m_boPrefixBlock; }
    void vSetEscapeMark(const std::string& value) { m_strMark = value; }
    const std::string& strGetEscapeMark() const { return m_strMark; }
    void vSetForbiddenSet(const std::string& value) { m_strSet = value; }
    const std::string& strGetForbiddenSet() const { return m_strSet; }
    void vSetSecondMark(const std::string& value) { m_strMark2 = value; }
    const std::string& strGetSecondMark() const { return m_strMark2; }
    // Cut to kMaxSecondSet characters.
    void vSetSecondSet(const std::string& value);
    const std::string& strGetSecondSet() const { return m_strSet2; }

    // The key is kept scrambled under the run-time key; GetKey gives back
    // the text as it was set.
    void vSetKey(const std::string& text);
    std::string strGetKey() const;
    // The stored (scrambled) key the coders use.
    const std::string& strGetStoredKey() const { return m_strKey; }

    std::string strEscapeNick(const char* lpNick) const;
    // The inverse of strEscapeNick for the nicks it writes; any other nick
    // (a needless or non-canonical escape) comes back unchanged.
    std::string strUnescapeNick(const std::string& nick) const;

    // Escaped, prefixed and, with own-nick coding, coded with the version
    // recorded for it (the client's when none).
    void vNickForWire(std::string& text) const;
    // Applies the acceptance rules to a received nick, records its version
    // (or forgets it when leaving), then the prefix rule and unescaping.
    bool boAcceptNick(std::string& nick, bool leaving);
    // Decodes a received text in place by the rule for its kind; false refuses.
    bool boAcceptText(bool privateMessage, std::string& text) const;
    void vTextForWire(std::string& text) const;
    std::string strRoomForWire(const std::string& room) const;
    std::string strRoomFromWire(const std::string& room) const;

    // The version recorded for a nick: "%.2f" for a coded one, "NOCR" for a
    // plain one, empty when unknown.
    std::string strGetNickVersion(const std::string& nick) const;
    // Every recorded nick with its version, by nick.
    const std::map<std::string, std::string>& Versions() const { return m_versions; }

private:
    bool boPassPrefix(std::string& nick) const;

    int m_iSnd = 0;
    int m_iRcv = kBoth;
    int m_iSrcv = kBoth;
    int m_iNcki = kBoth;
    int m_iNcko = 0;
    double m_dMinNckv = -1.0;
    double m_dMaxNckv = -1.0;
    int m_iChl = 0;
    bool m_boChlvd = false;
    std::string m_strKey;
    std::string m_strPrefix;
    bool m_boPrefixBlock = false;
    std::string m_strMark;
    std::string m_strSet;
    std::string m_strMark2;
    std::string m_strSet2;

    mutable std::mutex m_versionLock;
    std::map<std::string, std::string> m_versions;
};

// After every DYN_SND, ACT_SND, DYN_NAV, ACT_NAV and ACT_SETFLD tag name,
// inserts ` CN="name" CS="identity"`.
std::string strAddCommandAttributes(const std::string& markup, const std::string& name, long identity);

// Trimmed, non-empty items between separators; "none" (any case) is empty.
std::vector<std::string> SplitList(const std::string& text, const std::string& separator);

// Names (case-insensitive) with a 16-bit flag word each, in insertion order.
class CFlaggedNames
{
public:
    // Sets the flags of a name, adding it when absent.
    void vSetFlags(const std::string& name, uint16_t flags);
    // 0 when absent.
    uint16_t uGetFlags(const std::string& name) const;
    // Entries whose flags share no bit with the mask (all when the mask is 0).
    size_t uCountWithout(uint16_t mask) const;
    // False when the name is there already.
    bool boInsert(const std::string& name, uint16_t flags);
    bool boRemove(const std::string& name);
    void vClear() { m_entries.clear(); }
    size_t uSize() const { return m_entries.size(); }
    // False past the end.
    bool boAt(size_t index, std::string& name, uint16_t& flags) const;

private:
    long lFind(const std::string& name) const;

    std::vector<std::pair<std::string, uint16_t>> m_entries;
};

} // namespace ChatIrc
