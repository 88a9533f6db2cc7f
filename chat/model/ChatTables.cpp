#include "ChatTables.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ChatTextUtil.h"
#include "MessageFormats.h"

namespace ChatModel
{

using ChatText::boEqualNoCase;

// ---- room keys ----

void CRoomKeys::vSet(const std::string& room, const std::string& storedKey, const std::string& mode,
                     const std::string& members)
{
    Record* r = nullptr;
    for (Record& x : m_records)
        if (boEqualNoCase(x.strRoom, room))
            r = &x;
    if (!r)
    {
        m_records.emplace_back();
        r = &m_records.back();
        r->strRoom = room;
    }
    r->strKey = storedKey;
    r->iMode = mode.empty() ? 2 : std::atoi(mode.c_str());
    r->iMembers = members.empty() ? -1 : std::atoi(members.c_str());
}

std::string CRoomKeys::strGet(const std::string& room, int32_t* mode, int32_t* members) const
{
    const Record* found = nullptr;
    const Record* fallback = nullptr;
    for (const Record& x : m_records)
    {
        if (!found && boEqualNoCase(x.strRoom, room))
            found = &x;
        if (!fallback && x.strRoom.empty())
            fallback = &x;
    }
    const Record* r = found ? found : fallback;
    if (mode)
        *mode = r ? r->iMode : 2;
    if (members)
        *members = r ? r->iMembers : -1;
    return r ? ChatText::strScramble(r->strKey, ChatText::strDerivedKey()) : std::string();
}

bool CRoomKeys::boGetStored(const std::string& room, std::string& storedKey) const
{
    for (const Record& x : m_records)
        if (boEqualNoCase(x.strRoom, room))
        {
            storedKey = x.strKey;
            return true;
        }
    return false;
}

bool boSplitRegistryPath(const std::string& fullPath, std::string& root, std::string& keyPath)
{
    static const char* const kRoots[] = {"HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE",
                                         "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
    const size_t slash = fullPath.find('\\');
    if (slash == std::string::npos)
        return false;
    const std::string name = fullPath.substr(0, slash);
    for (const char* r : kRoots)
        if (boEqualNoCase(name, r))
        {
            root = r;
            keyPath = fullPath.substr(slash + 1);
            return true;
        }
    return false;
}

// ---- finished downloads ----

void CFinishedDownloads::vPush(std::unique_ptr<FinishedDownload> record)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_queue.push_back(std::move(record));
}

std::unique_ptr<FinishedDownload> CFinishedDownloads::Pop()
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_queue.empty())
        return nullptr;
    std::unique_ptr<FinishedDownload> r = std::move(m_queue.front());
    m_queue.pop_front();
    return r;
}

void CFinishedDownloads::vDestroy()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_queue.clear();
}

// ---- requested downloads ----

bool boUrlMatch(const std::string& stored, const std::string& asked)
{
    if (boEqualNoCase(stored, asked))
        return true;
    const std::string& longer = stored.size() >= asked.size() ? stored : asked;
    const std::string& shorter = stored.size() >= asked.size() ? asked : stored;
    if (shorter.empty() || !boEqualNoCase(longer.substr(longer.size() - shorter.size()), shorter))
        return false;
    std::string front = longer.substr(0, longer.size() - shorter.size());
    const size_t scheme = front.find("://");
    if (scheme != std::string::npos)
        front.erase(scheme, 3);
    return front.find('/') == std::string::npos;
}

namespace
{
bool boFileOpens(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::fclose(f);
    return true;
}
} // namespace

long CRequestedDownloads::lFind(const std::string& url) const
{
    for (size_t i = 0; i < m_records.size(); ++i)
        if (boUrlMatch(m_records[i].strUrl, url))
            return static_cast<long>(i);
    return -1;
}

void CRequestedDownloads::vAddRequest(const std::string& url, const std::string& requester)
{
    for (size_t i = m_records.size(); i-- > 0;)
        if (boUrlMatch(m_records[i].strUrl, url))
        {
            m_records[i].requesters.push_back(requester);
            return;
        }
    Record r;
    r.strUrl = url;
    r.requesters.push_back(requester);
    m_records.push_back(std::move(r));
}

bool CRequestedDownloads::boSetResult(const std::string& url, const std::string& path, bool inMemory)
{
    const long i = lFind(url);
    if (i < 0)
        return false;
    Record& r = m_records[static_cast<size_t>(i)];
    const FileTest test = m_test ? m_test : boFileOpens;
    r.strPath = path.empty() || (!inMemory && !test(path)) ? std::string("ERR") : path;
    r.boInMemory = inMemory;
    return true;
}

std::string CRequestedDownloads::strGetResult(const std::string& url, bool* inMemory) const
{
    const long i = lFind(url);
    if (i < 0)
        return std::string();
    const Record& r = m_records[static_cast<size_t>(i)];
    if (inMemory)
        *inMemory = r.boInMemory;
    return r.strPath == "ERR" ? std::string() : r.strPath;
}

void CRequestedDownloads::vRemove(const std::string& url)
{
    const long i = lFind(url);
    if (i >= 0)
        m_records.erase(m_records.begin() + i);
}

bool CRequestedDownloads::boHas(const std::string& url) const
{
    return lFind(url) >= 0;
}

bool CRequestedDownloads::boHasRequester(const std::string& url, const std::string& name) const
{
    const long i = lFind(url);
    if (i < 0)
        return false;
    for (const std::string& n : m_records[static_cast<size_t>(i)].requesters)
        if (boEqualNoCase(n, name))
            return true;
    return false;
}

std::vector<std::string> CRequestedDownloads::Requesters(const std::string& url) const
{
    const long i = lFind(url);
    return i < 0 ? std::vector<std::string>() : m_records[static_cast<size_t>(i)].requesters;
}

std::string CRequestedDownloads::strFirstPending() const
{
    for (const Record& r : m_records)
        if (r.strPath.empty())
            return r.strUrl;
    return std::string();
}

bool CRequestedDownloads::boIsPending(const std::string& name) const
{
    for (const Record& r : m_records)
        if (r.strPath.empty())
            for (const std::string& n : r.requesters)
                if (boEqualNoCase(n, name))
                    return true;
    return false;
}

// ---- groups ----

CGroupTable::Group& CGroupTable::FindOrCreate(const std::string& name, int32_t rank)
{
    Group* g = lpFind(name);
    if (!g)
    {
        m_groups.emplace_back();
        m_groups.back().strName = name;
        g = &m_groups.back();
    }
    if (rank != 0 && rank != g->iRank)
    {
        g->iRank = rank;
        std::stable_sort(m_groups.begin(), m_groups.end(),
                         [](const Group& a, const Group& b) { return a.iRank < b.iRank; });
        g = lpFind(name);
    }
    return *g;
}

const CGroupTable::Group* CGroupTable::lpFind(const std::string& name) const
{
    for (const Group& g : m_groups)
        if (boEqualNoCase(g.strName, name))
            return &g;
    return nullptr;
}

CGroupTable::Group* CGroupTable::lpFind(const std::string& name)
{
    return const_cast<Group*>(static_cast<const CGroupTable*>(this)->lpFind(name));
}

int CGroupTable::iSetMember(const std::string& group, const std::string& nick, int32_t value)
{
    Group& g = FindOrCreate(group);
    for (Member& m : g.members)
        if (boEqualNoCase(m.strNick, nick))
        {
            if (m.iValue == value)
                return 0;
            m.iValue = value;
            return 1;
        }
    g.members.push_back(Member{nick, value});
    return 1;
}

bool CGroupTable::boRemoveMember(const std::string& group, const std::string& nick)
{
    Group* g = lpFind(group);
    if (!g)
        return false;
    for (auto it = g->members.begin(); it != g->members.end(); ++it)
        if (boEqualNoCase(it->strNick, nick))
        {
            g->members.erase(it);
            return true;
        }
    return false;
}

bool CGroupTable::boHasMember(const std::string& group, const std::string& nick) const
{
    return boMemberValue(group, nick, nullptr);
}

size_t CGroupTable::uGroupsOf(const std::string& nick, std::vector<std::string>* out) const
{
    if (out)
        out->clear();
    size_t n = 0;
    for (const Group& g : m_groups)
        for (const Member& m : g.members)
            if (boEqualNoCase(m.strNick, nick))
            {
                ++n;
                if (out)
                    out->push_back(g.strName);
                break;
            }
    return n;
}

int CGroupTable::iRenameMember(const std::string& oldNick, const std::string& newNick)
{
    int n = 0;
    for (Group& g : m_groups)
        for (Member& m : g.members)
            if (boEqualNoCase(m.strNick, oldNick))
            {
                m.strNick = newNick;
                ++n;
            }
    return n;
}

std::vector<std::string> CGroupTable::Members(const std::string& group) const
{
    std::vector<std::string> out;
    if (const Group* g = lpFind(group))
        for (const Member& m : g->members)
            out.push_back(m.strNick);
    return out;
}

bool CGroupTable::boMemberValue(const std::string& group, const std::string& nick, int32_t* value) const
{
    const Group* g = lpFind(group);
    if (!g)
        return false;
    for (const Member& m : g->members)
        if (boEqualNoCase(m.strNick, nick))
        {
            if (value)
                *value = m.iValue;
            return true;
        }
    return false;
}

std::string CGroupTable::strListEntry(const std::string& group, size_t list, size_t index) const
{
    const Group* g = lpFind(group);
    if (!g || list >= g->lists.size() || index >= g->lists[list].size())
        return std::string();
    return g->lists[list][index];
}

bool CGroupTable::boSetListEntry(const std::string& group, size_t list, size_t index, const std::string& text)
{
    if (list >= kMaxLists || index >= kMaxListEntries)
        return false;
    Group& g = FindOrCreate(group);
    if (g.lists.size() <= list)
        g.lists.resize(list + 1);
    if (g.lists[list].size() <= index)
        g.lists[list].resize(index + 1);
    g.lists[list][index] = text;
    return true;
}

std::string CGroupTable::strFileSafeName(const std::string& name)
{
    std::string out = name;
    for (char& c : out)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            c = '_';
    return out;
}

std::string CGroupTable::strGroupFile(const std::string& group) const
{
    std::string t;
    if (const Group* g = lpFind(group))
        t = g->strFileTemplate;
    if (t.empty())
        for (const Group& g : m_groups)
            if (g.strName.find('*') != std::string::npos && !g.strFileTemplate.empty() &&
                ChatText::boWildcardMatch(group, g.strName))
            {
                t = g.strFileTemplate;
                break;
            }
    if (t.empty())
        t = m_strDefaultTemplate;
    return strReplaceAll(strReplaceAll(t, "%grpnamefile%", strFileSafeName(group)), "%grpname%", group);
}

// ---- multi-part texts ----

long CMultiPartTable::lFind(const std::string& name) const
{
    for (size_t i = 0; i < m_records.size(); ++i)
        if (m_records[i].strName == name)
            return static_cast<long>(i);
    return -1;
}

void CMultiPartTable::vSetContext(const std::string& one, const std::string& two, int32_t number)
{
    m_strOne = one;
    m_strTwo = two;
    m_iNumber = number;
    ++m_iExpected;
}

bool CMultiPartTable::boAddPart(const std::string& name, const std::string& line, long position)
{
    long i = lFind(name);
    if (i < 0)
    {
        if (m_records.size() >= kMaxRecords)
        {
            // The oldest incomplete record goes first, else the oldest.
            size_t drop = 0;
            for (size_t k = 0; k < m_records.size(); ++k)
                if (m_records[k].iReceived != m_records[k].iExpected)
                {
                    drop = k;
                    break;
                }
            m_records.erase(m_records.begin() + static_cast<long>(drop));
        }
        m_records.emplace_back();
        m_records.back().strName = name;
        i = static_cast<long>(m_records.size() - 1);
    }
    Record& r = m_records[static_cast<size_t>(i)];
    if (r.lines.size() >= kMaxParts || r.uBytes + line.size() > kMaxBytes)
        return false;
    if (position < 0 || static_cast<size_t>(position) >= r.lines.size())
        r.lines.push_back(line);
    else
        r.lines.insert(r.lines.begin() + position, line);
    r.uBytes += line.size();
    ++r.iReceived;
    --m_iExpected;
    r.strOne = m_strOne;
    r.strTwo = m_strTwo;
    r.iNumber = m_iNumber;
    return true;
}

void CMultiPartTable::vSetExpected(const std::string& name, int32_t count)
{
    const long i = lFind(name);
    if (i >= 0)
        m_records[static_cast<size_t>(i)].iExpected = count;
}

bool CMultiPartTable::boComplete(const std::string& name)
{
    const long i = lFind(name);
    if (i < 0)
        return false;
    const Record& r = m_records[static_cast<size_t>(i)];
    if (r.iReceived != r.iExpected)
        return false;
    if (static_cast<size_t>(r.iReceived) == r.lines.size())
        return true;
    m_records.erase(m_records.begin() + i);
    return false;
}

std::string CMultiPartTable::strJoined(const std::string& name) const
{
    std::string out;
    const long i = lFind(name);
    if (i >= 0)
        for (const std::string& l : m_records[static_cast<size_t>(i)].lines)
            out += l;
    return out;
}

bool CMultiPartTable::boContext(const std::string& name, std::string* one, std::string* two,
                                int32_t* number) const
{
    const long i = lFind(name);
    if (i < 0)
        return false;
    const Record& r = m_records[static_cast<size_t>(i)];
    if (one)
        *one = r.strOne;
    if (two)
        *two = r.strTwo;
    if (number)
        *number = r.iNumber;
    return true;
}

void CMultiPartTable::vRemove(const std::string& name)
{
    const long i = lFind(name);
    if (i >= 0)
        m_records.erase(m_records.begin() + i);
}

void CMultiPartTable::vClear()
{
    m_records.clear();
    m_iExpected = 0;
}

} // namespace ChatModel
