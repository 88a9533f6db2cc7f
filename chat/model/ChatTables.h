// The chat window's small tables: room keys, finished and requested
// downloads, user groups with their members and ranks, and the multi-part
// table that puts long messages back together.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ChatModel
{

class CRoomKeys
{
public:
    // Mode: decimal text, 2 when empty; member count: decimal, -1 when empty.
    // The key is given as stored (scrambled under the run-time key).
    void vSet(const std::string& room, const std::string& storedKey, const std::string& mode,
              const std::string& members);
    // The room's record, else the default one (empty room), else mode 2,
    // members -1, empty key. The key comes back unscrambled.
    std::string strGet(const std::string& room, int32_t* mode, int32_t* members) const;
    // The key as stored, and whether the room (not the default) has a record.
    bool boGetStored(const std::string& room, std::string& storedKey) const;
    void vClear() { m_records.clear(); }

private:
    struct Record
    {
        std::string strRoom, strKey;
        int32_t iMode = 2, iMembers = -1;
    };
    std::vector<Record> m_records;
};

// "ROOT\key\path": the root's name and the key path; false without a
// backslash or for a root other than the six the chat reads.
bool boSplitRegistryPath(const std::string& fullPath, std::string& root, std::string& keyPath);

struct FinishedDownload
{
    std::string strUrl;
    bool boAsFile = false;
    std::string strPath;
    std::string strText;
    std::string strNotify;
    std::string strMime;
    bool boFailed = false;
};

// Filled by the thread that finishes streams, emptied on the window's thread.
class CFinishedDownloads
{
public:
    void vPush(std::unique_ptr<FinishedDownload> record);
    std::unique_ptr<FinishedDownload> Pop();
    void vDestroy();

private:
    std::mutex m_lock;
    std::deque<std::unique_ptr<FinishedDownload>> m_queue;
};

// Equal without regard to case, or the longer ends with the shorter and the
// part before it holds no '/' but the "//" of a "://".
bool boUrlMatch(const std::string& stored, const std::string& asked);

class CRequestedDownloads
{
public:
    // The file test of a result path; by default any non-empty path opens.
    using FileTest = bool (*)(const std::string& path);
    explicit CRequestedDownloads(FileTest test = nullptr) : m_test(test) {}

    void vAddRequest(const std::string& url, const std::string& requester);
    bool boSetResult(const std::string& url, const std::string& path, bool inMemory);
    std::string strGetResult(const std::string& url, bool* inMemory) const;
    void vRemove(const std::string& url);
    bool boHas(const std::string& url) const;
    bool boHasRequester(const std::string& url, const std::string& name) const;
    std::vector<std::string> Requesters(const std::string& url) const;
    std::string strFirstPending() const;
    bool boIsPending(const std::string& name) const;
    void vClear() { m_records.clear(); }

private:
    struct Record
    {
        std::string strUrl, strPath;
        bool boInMemory = false;
        std::vector<std::string> requesters;
    };
    long lFind(const std::string& url) const;
    std::vector<Record> m_records;
    FileTest m_test;
};

class CGroupTable
{
public:
    struct Member
    {
        std::string strNick;
        int32_t iValue = 0;
    };
    struct Group
    {
        std::string strName;
        std::string strText1, strText2;
        int32_t counters[3] = {0, 0, 0};
        std::string strFileTemplate;
        int32_t iNumber = -1;
        std::vector<Member> members;
        int32_t iRank = 0;
        // Announced to the room (set) or announced back privately (clear).
        bool boAnnounce = false;
        std::vector<std::vector<std::string>> lists;
    };

    // An unknown name makes a group at the end; a non-zero rank that differs
    // re-sorts the table by rank (stable).
    Group& FindOrCreate(const std::string& name, int32_t rank = 0);
    // Without creating.
    const Group* lpFind(const std::string& name) const;
    Group* lpFind(const std::string& name);
    int iSetMember(const std::string& group, const std::string& nick, int32_t value);
    bool boRemoveMember(const std::string& group, const std::string& nick);
    bool boHasMember(const std::string& group, const std::string& nick) const;
    // Names of the groups holding the nick, in table order.
    size_t uGroupsOf(const std::string& nick, std::vector<std::string>* out) const;
    int iRenameMember(const std::string& oldNick, const std::string& newNick);
    std::vector<std::string> Members(const std::string& group) const;
    bool boMemberValue(const std::string& group, const std::string& nick, int32_t* value) const;
    // Bounds of the numbered string lists, whose numbers come from pages.
    static constexpr size_t kMaxLists = 64;
    static constexpr size_t kMaxListEntries = 4096;
    std::string strListEntry(const std::string& group, size_t list, size_t index) const;
    // False (nothing stored) past kMaxLists or kMaxListEntries.
    bool boSetListEntry(const std::string& group, size_t list, size_t index, const std::string& text);
    const std::vector<Group>& Groups() const { return m_groups; }
    void vSetDefaultFileTemplate(const std::string& t) { m_strDefaultTemplate = t; }
    // The group's template (own, a matching "*" group's, the default) with
    // "%grpnamefile%" and "%grpname%" filled in.
    std::string strGroupFile(const std::string& group) const;
    static std::string strFileSafeName(const std::string& name);
    void vClear() { m_groups.clear(); }

private:
    std::vector<Group> m_groups;
    std::string m_strDefaultTemplate;
};

class CMultiPartTable
{
public:
    static constexpr size_t kMaxRecords = 32;
    static constexpr size_t kMaxParts = 256;
    static constexpr size_t kMaxBytes = 64 * 1024;

    void vSetContext(const std::string& one, const std::string& two, int32_t number);
    // False when the record is full (parts or bytes); a position past the end
    // or -1 appends. Making a 33rd record drops the oldest incomplete one.
    bool boAddPart(const std::string& name, const std::string& line, long position);
    void vSetExpected(const std::string& name, int32_t count);
    bool boComplete(const std::string& name);
    std::string strJoined(const std::string& name) const;
    bool boContext(const std::string& name, std::string* one, std::string* two, int32_t* number) const;
    void vRemove(const std::string& name);
    size_t uSize() const { return m_records.size(); }
    int32_t iPartsExpected() const { return m_iExpected; }
    void vClear();

private:
    struct Record
    {
        std::string strName;
        std::vector<std::string> lines;
        size_t uBytes = 0;
        int32_t iReceived = 0;
        int32_t iExpected = -1;
        std::string strOne, strTwo;
        int32_t iNumber = 0;
    };
    long lFind(const std::string& name) const;
    std::vector<Record> m_records; // oldest first
    std::string m_strOne, m_strTwo;
    int32_t m_iNumber = 0;
    int32_t m_iExpected = 0;
};

} // namespace ChatModel
