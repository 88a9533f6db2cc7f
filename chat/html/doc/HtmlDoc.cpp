#include "HtmlDoc.h"

#include "HtmlFlow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "HtmlAttr.h"
#include "HtmlHost.h"
#include "HtmlScan.h"
#include "HtmlTagTable.h"
#include "HtmlText.h"
#include "HtmlWndEvents.h"

HTML_IMPLEMENT_DYNCREATE(CHtmlDoc, nullptr)

namespace
{
constexpr uint32_t kDefaultBackground = 0x02FFFFFF;
constexpr uint32_t kDefaultColors[3] = {0x02000000, 0x02000080, 0x02008000};
constexpr size_t kMaxPrefix = 7;

// Position of the "://" that ends a kind prefix (1 to 7 letters), or npos.
size_t PrefixEnd(const std::string& address)
{
    const size_t at = address.find("://");
    return at >= 1 && at <= kMaxPrefix ? at : std::string::npos;
}

void Replace(std::string& text, char from, char to)
{
    for (char& c : text)
        if (c == from)
            c = to;
}

int32_t ClassifyKind(const std::string& kind)
{
    if (kind == "RES")
        return kHtmlKindResource;
    if (kind == "STR")
        return kHtmlKindString;
    if (kind == "FILE")
        return kHtmlKindFile;
    return kHtmlKindUnknown;
}
} // namespace

namespace
{
IHtmlHost* BareHost()
{
    // Stateless: one serves every document without a host of its own.
    static CHtmlBareHost host;
    return &host;
}
} // namespace

CHtmlDoc::CHtmlDoc(void* module, IHtmlHost* host)
    : m_host(host != nullptr ? host : BareHost()), m_initialModule(module), m_resourceModule(module)
{
}

CHtmlDoc::~CHtmlDoc()
{
    // Elements give their fonts and images back while the handler is there.
    m_elements.clear();
    m_flow.reset();
    ReleaseFont(m_defaultFont);
    m_defaultFont = nullptr;
    FreeSource();
}

void CHtmlDoc::FreeSource()
{
    m_source = MemBlockFree(m_source);
    m_sourceLength = 0;
}

std::string CHtmlDoc::GetSource() const
{
    return HtmlBlockToString(m_source, m_sourceLength);
}

void CHtmlDoc::Reset()
{
    IHtmlWndEvents* handler = m_handler;
    if (handler != nullptr)
    {
        handler->OnDocumentCleared(this);
        if (!m_handlerName.empty())
            handler->OnHandlerEnding(m_handlerName, this);
    }
    FreeSource();
    m_elements.clear();
    m_hasFrameset = false;
    m_flow.reset();
    m_backgroundImage = nullptr;
    ReleaseFont(m_defaultFont);
    m_defaultFont = nullptr;
    m_backgroundX = 0;
    m_backgroundY = 0;
    m_backgroundColor = kDefaultBackground;
    if (handler != nullptr && !m_handlerName.empty())
        handler->PopHandler(m_handlerName, this);
    m_handler = nullptr;
    m_handlerName.clear();
    m_pageLink.clear();
    m_pageLinkTarget.clear();
    m_queuedLink = false;
    m_queuedAddress.clear();
    m_queuedTarget.clear();
    std::memcpy(m_colors, kDefaultColors, sizeof m_colors);
}

int32_t CHtmlDoc::Load(const std::string& address, std::string* errorText, IHtmlWndEvents* handler,
                       int32_t handOverPass, int32_t offerKnownTags, int32_t backgroundX, int32_t backgroundY)
{
    Reset();
    m_basePath = GetBasePathOf(address);
    m_url = address;
    m_handler = handler;
    m_handOverPass = handOverPass;
    m_offerKnownTags = offerKnownTags;
    m_backgroundX = backgroundX;
    m_backgroundY = backgroundY;
    std::string rest = address;
    std::string kind;
    const int32_t kindNumber = SplitSource(rest, true, &kind);
    if (IsStickyKind(kind))
        m_sourceType = kind;
    m_loadedKind = kindNumber;
    switch (kindNumber)
    {
    case kHtmlKindFile:
        return LoadFile(rest, errorText);
    case kHtmlKindResource:
        if (!rest.empty() && rest[0] == '#')
            return LoadResourceById(uint32_t(HtmlAtoi(rest.substr(1))) & 0xFFFF, errorText);
        return LoadResourceByName(rest, errorText);
    case kHtmlKindString:
        return LoadString(rest, errorText);
    default:
        return kHtmlLoadOk;
    }
}

int32_t CHtmlDoc::Reload(std::string* errorText, IHtmlWndEvents* handler, int32_t handOverPass,
                         int32_t offerKnownTags, int32_t backgroundX, int32_t backgroundY)
{
    const std::string address = m_url;
    return Load(address, errorText, handler, handOverPass, offerKnownTags, backgroundX, backgroundY);
}

int32_t CHtmlDoc::SplitSource(std::string& address, bool askHandler, std::string* kindOut)
{
    std::string kind;
    const size_t end = PrefixEnd(address);
    if (end != std::string::npos)
    {
        kind = HtmlUpper(address.substr(0, end));
        address.erase(0, end + 3);
    }
    else
        kind = m_sourceType.empty() ? "FILE" : m_sourceType;
    int32_t number = ClassifyKind(kind);
    if (number == kHtmlKindUnknown && askHandler && m_handler != nullptr)
    {
        std::string asked = kind;
        m_handler->OnLeaveView(&asked, &address, "", this);
        if (asked != kind)
        {
            kind = HtmlUpper(asked);
            number = ClassifyKind(kind);
        }
    }
    if (kindOut != nullptr)
        *kindOut = kind;
    return number;
}

void CHtmlDoc::PrepareLoad()
{
    if (m_defaultFont == nullptr)
        m_defaultFont = GetFont(defaultDocumentFont());
    if (m_flow == nullptr)
        m_flow = std::make_unique<CHtmlFlow>(this, 4, 4);
    if (m_pendingMarginWidth != -1)
        m_flow->SetMarginWidth(m_pendingMarginWidth);
    if (m_pendingMarginHeight != -1)
        m_flow->SetMarginHeight(m_pendingMarginHeight);
    m_pendingMarginWidth = -1;
    m_pendingMarginHeight = -1;
}

int32_t CHtmlDoc::TakeSource(HtmlMemBlock block, uint32_t length)
{
    FreeSource();
    m_source = block;
    m_sourceLength = length;
    return Parse();
}

int32_t CHtmlDoc::LoadFile(const std::string& path, std::string* errorText)
{
    PrepareLoad();
    HtmlMemBlock block = nullptr;
    uint32_t length = 0;
    std::string error;
    const int32_t result = m_host->ReadFile(path, kMaxSourceSize, &block, &length, &error,
                                            [this]
                                            {
                                                if (m_handler != nullptr)
                                                    m_handler->OnLoadProgress(0, -1, 0, this);
                                            });
    if (result != kHtmlLoadOk)
    {
        MemBlockFree(block);
        if (errorText != nullptr)
            *errorText = error;
        return result;
    }
    return TakeSource(block, length);
}

int32_t CHtmlDoc::LoadString(const std::string& text, std::string* errorText)
{
    PrepareLoad();
    if (text.size() > kMaxSourceSize)
    {
        if (errorText != nullptr)
            *errorText = "Error reading 'string' file";
        return kHtmlLoadReadError;
    }
    HtmlMemBlock block = MemBlockAlloc(0, uint32_t(text.size()));
    if (block == nullptr)
        return kHtmlLoadNoMemory;
    if (m_handler != nullptr)
        m_handler->OnLoadProgress(0, -1, 0, this);
    if (!text.empty() && MemBlockWrite(block, 0, text.data(), uint32_t(text.size())) != text.size())
    {
        MemBlockFree(block);
        if (errorText != nullptr)
            *errorText = "Error reading 'string' file";
        return kHtmlLoadReadError;
    }
    return TakeSource(block, uint32_t(text.size()));
}

int32_t CHtmlDoc::LoadResourceById(uint32_t id, std::string* errorText)
{
    std::string text;
    if (!m_host->ReadResource(m_resourceModule, nullptr, id, &text))
    {
        if (errorText != nullptr)
            *errorText = "The HTML resource could not be found";
        return kHtmlLoadNoResource;
    }
    return LoadString(text, errorText);
}

int32_t CHtmlDoc::LoadResourceByName(const std::string& name, std::string* errorText)
{
    std::string text;
    if (!m_host->ReadResource(m_resourceModule, name.c_str(), 0, &text))
    {
        if (errorText != nullptr)
            *errorText = "The HTML resource could not be found";
        return kHtmlLoadNoResource;
    }
    return LoadString(text, errorText);
}

int32_t CHtmlDoc::Parse()
{
    if (m_handOverPass)
        ParseLoop();
    if (m_noTree == 0)
        BuildTree();
    if (m_handler != nullptr)
        m_handler->OnLoadProgress(3, -1, 0, this);
    return kHtmlLoadOk;
}

int32_t CHtmlDoc::OnUnknownTag(const std::string& name, const std::string& attributes, HtmlMemBlock* content,
                               int32_t length)
{
    if (m_handler == nullptr)
        return -1;
    return m_handler->OnTag(name, attributes, content, length, "", this);
}

int32_t CHtmlDoc::OnHandlerTag(const std::string& name, const std::string& attributes, HtmlMemBlock* content,
                               int32_t length)
{
    if (m_handler == nullptr)
        return -1;
    return m_handler->OnHandlerTag(name, attributes, content, length, "", this);
}

int32_t CHtmlDoc::Splice(HtmlMemBlock text, uint32_t position, uint32_t oldLength, uint32_t newLength)
{
    if (oldLength == 0 && newLength == 0)
        return 0;
    if (position > m_sourceLength || oldLength > m_sourceLength - position || newLength > MemBlockSize(text))
        return 0;
    const uint64_t total = uint64_t(m_sourceLength) - oldLength + newLength;
    if (total > kMaxSourceSize)
        return 0;
    const uint32_t after = m_sourceLength - position - oldLength;
    // The source block keeps room to spare, so that the hand-over's many
    // small replacements move the text's tail in place instead of copying
    // the whole source into a new block each time.
    if (total > MemBlockSize(m_source))
    {
        const uint64_t room = std::min<uint64_t>(kMaxSourceSize, total + total / 2 + 4096);
        HtmlMemBlock grown = MemBlockRealloc(m_source, uint32_t(room));
        if (grown == nullptr)
            return 0;
        m_source = grown;
    }
    uint8_t* bytes = reinterpret_cast<uint8_t*>(const_cast<char*>(MemBlockBytes(m_source)));
    std::memmove(bytes + position + newLength, bytes + position + oldLength, after);
    if (newLength > 0)
        std::memcpy(bytes + position, MemBlockBytes(text), newLength);
    m_sourceLength = uint32_t(total);
    return 1;
}

void CHtmlDoc::ParseLoop()
{
    uint32_t position = 0;
    uint32_t replacedAt = UINT32_MAX; // where the last replacement went
    uint32_t replacementsThere = 0;
    uint64_t growth = 0;
    HtmlEndTagIndex endTags; // follows the replacements below
    for (;;)
    {
        const char* text = MemBlockBytes(m_source);
        HtmlToken token;
        token.tag = HtmlNextTag(text, m_sourceLength, position, false);
        if (!token.tag.found)
            return;
        if (m_handler != nullptr)
            m_handler->OnLoadProgress(1, int32_t(uint64_t(position) * 100 / m_sourceLength), 0, this);
        const HtmlTagInfo& tag = token.tag;
        const uint32_t afterTag = tag.position + tag.length;
        const HtmlTagRow* row = HtmlFindTagRow(tag.name);
        if (row != nullptr && tag.name == "HANDLER" && m_handlerName.empty())
        {
            m_handlerName = GetAttrValue("NAME", tag.attributes, "");
            if (m_handler != nullptr)
                m_handler->PushHandler(m_handlerName, tag.attributes, this);
        }
        if (row != nullptr && !m_offerKnownTags)
        {
            // Known tags are offered only on request: no need for their extent.
            position = afterTag;
            continue;
        }
        if (tag.position == replacedAt && replacementsThere >= kMaxReplacementsPerPosition)
        {
            // The handler keeps putting a tag here: leave it as it stands.
            position = afterTag;
            continue;
        }
        HtmlTagExtent(text, m_sourceLength, token, nullptr, &endTags);
        HtmlMemBlock content = nullptr;
        if (token.contentLength != 0)
        {
            content = MemBlockAlloc(0, token.contentLength);
            if (content != nullptr &&
                !MemBlockCopy(m_source, token.contentPosition, content, 0, token.contentLength))
                content = MemBlockFree(content);
        }
        const int32_t contentLength = content != nullptr ? int32_t(token.contentLength) : 0;
        const int32_t result = row == nullptr
                                   ? OnUnknownTag(tag.name, tag.attributes, &content, contentLength)
                                   : OnHandlerTag(tag.name, tag.attributes, &content, contentLength);
        if (result < 0)
            position = afterTag;
        else
        {
            // The count can't reach past the block the handler left.
            const uint32_t size = MemBlockSize(content);
            const uint32_t count = uint32_t(result) < size ? uint32_t(result) : size;
            const uint32_t extent = token.extentEnd - tag.position;
            const uint64_t added = count > extent ? count - extent : 0;
            if (growth + added <= m_growthLimit && Splice(content, tag.position, extent, count))
            {
                endTags.Spliced(tag.position, extent, count);
                growth += added;
                replacementsThere = tag.position == replacedAt ? replacementsThere + 1 : 1;
                replacedAt = tag.position;
                position = tag.position;
            }
            else
                position = afterTag;
        }
        MemBlockFree(content);
    }
}

void CHtmlDoc::BuildTree()
{
    m_elements.clear();
    m_hasFrameset = false;
    m_elementCount = 0;
    HtmlParseRange(m_elements, m_source, m_sourceLength, this, nullptr);
}

int32_t HtmlParseRange(CTag::List& list, HtmlMemBlock block, uint32_t length, CHtmlDoc* document,
                       CTag* parent)
{
    if (document != nullptr)
    {
        if (IHtmlWndEvents* handler = document->GetEvents())
            handler->OnLoadProgress(2, -1, document->GetElementCount(),
                                    parent != nullptr ? parent->GetDocument() : nullptr);
        document->CountElement();
    }
    list.clear();
    if (parent != nullptr && parent->GetDepth() >= kHtmlMaxTreeDepth)
        return 0;
    if (length > MemBlockSize(block))
        length = MemBlockSize(block);
    const char* text = MemBlockBytes(block);
    HtmlEndTagHints hints(text, length);
    HtmlEndTagIndex endTags;
    int32_t added = 0;
    for (uint32_t position = 0;;)
    {
        const HtmlToken token = HtmlReadToken(text, length, position, &hints, &endTags);
        if (!token.found)
            break;
        position = token.next;
        if (!token.isText && HtmlIsComment(token.tag.name))
            continue;
        const HtmlTagRow* row = HtmlFindTagRow(token.tag.name);
        if (row == nullptr)
            row = &HtmlTagTable[0];
        CTag* element = static_cast<CTag*>(row->elementClass->CreateObject());
        list.emplace_back(element);
        element->Init(token.tag.name, token.tag.attributes, block, token.contentPosition, token.contentLength,
                      document, parent);
        element->Build();
        ++added;
    }
    return added;
}

bool CHtmlDoc::SaveSource(const std::string& path) const
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return false;
    constexpr uint32_t kPiece = 16384;
    bool ok = true;
    const char* text = MemBlockBytes(m_source);
    for (uint32_t at = 0; at < m_sourceLength && ok; at += kPiece)
    {
        const uint32_t n = m_sourceLength - at < kPiece ? m_sourceLength - at : kPiece;
        ok = std::fwrite(text + at, 1, n, file) == n && std::fflush(file) == 0;
    }
    return std::fclose(file) == 0 && ok;
}

void CHtmlDoc::SetSourceType(const std::string& kind)
{
    m_sourceType = HtmlUpper(kind);
}

void CHtmlDoc::SetKind(const HtmlKindRecord& record)
{
    for (HtmlKindRecord& existing : m_kinds)
        if (HtmlEqualNoCase(existing.name, record.name))
        {
            existing = record;
            return;
        }
    m_kinds.push_back(record);
}

int32_t CHtmlDoc::IsRelativeKind(const std::string& kind) const
{
    for (const HtmlKindRecord& record : m_kinds)
        if (HtmlEqualNoCase(record.name, kind))
            return record.relative;
    return HtmlEqualNoCase(kind, "STR") || HtmlEqualNoCase(kind, "RES") ? 0 : 1;
}

int32_t CHtmlDoc::IsStickyKind(const std::string& kind) const
{
    for (const HtmlKindRecord& record : m_kinds)
        if (HtmlEqualNoCase(record.name, kind))
            return record.sticky;
    return HtmlEqualNoCase(kind, "STR") ? 0 : 1;
}

std::string CHtmlDoc::GetBasePathOf(const std::string& address)
{
    std::string path = address;
    Replace(path, '\\', '/');
    std::string result;
    if (!path.empty())
    {
        std::string kind;
        SplitSource(path, false, &kind);
        if (IsRelativeKind(kind))
        {
            if (kind == "FILE" && path.find('/') == std::string::npos)
            {
                path = MakeAbsolutePath(path, m_host->CurrentDirectory());
                Replace(path, '\\', '/');
            }
            const size_t slash = path.rfind('/');
            if (slash != std::string::npos)
                result = kind + "://" + path.substr(0, slash + 1);
        }
    }
    return result.empty() ? m_basePath : result;
}

std::string CHtmlDoc::ResolveAddress(const std::string& address, bool bare)
{
    if (address.empty())
        return {};
    std::string path = HtmlTrim(address);
    Replace(path, '\\', '/');
    const bool explicitKind = PrefixEnd(path) != std::string::npos;
    std::string kind;
    const int32_t kindNumber = SplitSource(path, false, &kind);
    // A string source is the text itself: it stays exactly as written.
    if (kindNumber == kHtmlKindString)
        return address;
    if (IsRelativeAddress(path) && !explicitKind)
    {
        std::string base = m_basePath;
        const size_t end = PrefixEnd(base);
        const std::string baseKind = end != std::string::npos ? base.substr(0, end) : std::string();
        if (end != std::string::npos && HtmlEqualNoCase(baseKind, kind))
        {
            base.erase(0, end + 3);
            if (base.empty() || base.back() != '/')
                base += '/';
            std::string resolved = base + path;
            if (kind == "FILE")
                Replace(resolved, '/', '\\');
            return bare ? resolved : kind + "://" + resolved;
        }
    }
    if (explicitKind)
    {
        if (kind == "FILE")
            Replace(path, '/', '\\');
        return kind + "://" + path;
    }
    std::string asWritten = HtmlTrim(address);
    Replace(asWritten, '\\', '/');
    return asWritten;
}

std::string MakeAbsolutePath(const std::string& path, const std::string& currentDirectory)
{
    std::string p = HtmlTrim(path);
    Replace(p, '/', '\\');
    if (p.size() <= 1 || p.find(":\\") != std::string::npos || p[0] == '\\')
        return p;
    std::string dir = currentDirectory;
    if (dir.empty() || dir.back() != '\\')
        dir += '\\';
    return dir + p;
}

int32_t CHtmlDoc::GetColor(int32_t index, uint32_t* color) const
{
    if (index < 0 || index > 2)
        return 0;
    *color = m_colors[index];
    return 1;
}

int32_t CHtmlDoc::SetColor(int32_t index, uint32_t color)
{
    if (index < 0 || index > 2)
        return 0;
    m_colors[index] = color;
    return 1;
}

void CHtmlDoc::SetBackgroundOffset(int32_t x, int32_t y)
{
    m_backgroundX = x;
    m_backgroundY = y;
}

void CHtmlDoc::GetBackgroundOffset(int32_t* x, int32_t* y) const
{
    *x = m_backgroundX;
    *y = m_backgroundY;
}

int32_t CHtmlDoc::SetDocFlag(int32_t value)
{
    const int32_t previous = m_docFlag;
    m_docFlag = value;
    return previous;
}

void CHtmlDoc::NotifyTitle(const std::string& title)
{
    if (m_handler != nullptr)
        m_handler->OnTitle(title, this);
}

void CHtmlDoc::NotifyFrameset(const std::vector<FrameRecord>* frames)
{
    if (m_handler != nullptr)
        m_handler->OnFramesetCreated(frames, this);
}

void CHtmlDoc::NotifyFramesetDone()
{
    if (m_handler != nullptr)
        m_handler->OnFramesDestroyed(this);
}
