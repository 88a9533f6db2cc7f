#include "GameDefinitions.h"

#include <cstdio>
#include <cstring>

#include "MessageBoxStyle.h"
#include "StringMap.h"
#include "TextUtil.h"
#include "XmlDocument.h"
#include "XmlEntities.h"

const char* const kGameDefNamespace = "g.def";
const char* const kGameCompatRefNamespace = "g.compat.ref";
const char* const kGameCandidateNamespace = "g.compat.candidate";
const char* const kGameLaunchNamespace = "g.launch";

namespace
{
// Candidate games inside compat elements inside candidate games...: each level reads
// its element again, so the nesting is bounded.
constexpr int kMaxCandidateDepth = 8;

// The tag is an element so named (any case), in the namespace unless anyNamespace.
bool IsElement(const CXmlTag* tag, const char* name, const std::string& nameSpace, bool anyNamespace)
{
    if (tag->IsLeafTag())
        return false;
    const CStringExt tagName = tag->GetName();
    const size_t length = std::strlen(name);
    if (tagName.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (ToLowerAscii(tagName[i]) != ToLowerAscii(name[i]))
            return false;
    return anyNamespace || EqualsNoCase(tag->GetNamespaceName(), nameSpace);
}

// The first child so named (any case), in the namespace unless anyNamespace.
const CXmlTag* Child(const CXmlTag* parent, const char* name, const std::string& nameSpace,
                     bool anyNamespace = false)
{
    for (const CXmlTag* tag = parent->lpGetNextChildTag(nullptr); tag != nullptr;
         tag = parent->lpGetNextChildTag(tag))
        if (IsElement(tag, name, nameSpace, anyNamespace))
            return tag;
    return nullptr;
}

template <class F>
void ForEachChild(const CXmlTag* parent, const char* name, const std::string& nameSpace, bool anyNamespace,
                  F f)
{
    if (parent == nullptr)
        return;
    for (const CXmlTag* tag = parent->lpGetNextChildTag(nullptr); tag != nullptr;
         tag = parent->lpGetNextChildTag(tag))
        if (IsElement(tag, name, nameSpace, anyNamespace))
            f(tag);
}

CStringExt Text(const CXmlTag* tag)
{
    return tag != nullptr ? tag->DumpText(true) : CStringExt();
}

CStringExt ChildText(const CXmlTag* parent, const char* name, const std::string& nameSpace)
{
    return Text(Child(parent, name, nameSpace));
}

CStringExt Attribute(const CXmlTag* tag, const char* name)
{
    return tag != nullptr ? tag->GetAttribute(name, "") : CStringExt();
}

void ReadAttributes(const CXmlTag* list, const std::string& nameSpace,
                    std::vector<CGameAttribute>& attributes)
{
    ForEachChild(list, "attrib", nameSpace, false,
                 [&](const CXmlTag* tag)
                 {
                     CGameAttribute attribute;
                     attribute.name = Attribute(tag, "name");
                     attribute.displayName = Attribute(tag, "fname");
                     attribute.editable = tag->boGetAttributeBool("editable");
                     attribute.hidden = tag->boGetAttributeBool("hide");
                     attribute.type = Attribute(tag, "type");
                     // The attribute's own text, without its options' texts.
                     for (const CXmlTag* part = tag->lpGetNextChildTag(nullptr); part != nullptr;
                          part = tag->lpGetNextChildTag(part))
                         if (part->IsLeafTag())
                             attribute.value += XmlUnformatString(part->GetText());
                     attributes.push_back(attribute);
                     ForEachChild(tag, "option", nameSpace, true,
                                  [&](const CXmlTag* option) {
                                      AddAttributeOption(attributes, attribute.name,
                                                         Attribute(option, "name"), Text(option));
                                  });
                 });
}

// Sets the technology data only when one of its two elements is there.
void ReadTechData(const CXmlTag* parent, const char* rawName, const char* plugName,
                  const std::string& nameSpace, CZeltoGameTechData& data)
{
    const CXmlTag* raw = Child(parent, rawName, nameSpace);
    const CXmlTag* plug = Child(parent, plugName, nameSpace);
    if (raw == nullptr && plug == nullptr)
        return;
    data.rawData = raw != nullptr ? raw->DumpValue(false) : CStringExt();
    data.plugData = plug != nullptr ? plug->DumpValue(false) : CStringExt();
}

void ReadPairs(const CXmlTag* parent, const char* itemName, const char* nameAttribute,
               const std::string& nameSpace, CZeltoGenericEnumerator& pairs)
{
    ForEachChild(parent, itemName, nameSpace, false,
                 [&](const CXmlTag* item)
                 { pairs.SetAt(Attribute(item, nameAttribute), ChildText(item, "val", nameSpace)); });
}

void ReadGames(const CXmlDocument& doc, const std::string& nameSpace, int depth, CZeltoGameList& list);

std::unique_ptr<CZeltoGameVersion> ReadVersion(const CXmlTag* tag, const std::string& nameSpace, int depth)
{
    CStringExt lower = Attribute(tag, "vnbr.gt");
    uint32_t lowerInclusive = 0;
    if (lower.empty())
    {
        lower = Attribute(tag, "vnbr.gte");
        lowerInclusive = lower.empty() ? 0 : 1;
    }
    CStringExt upper = Attribute(tag, "vnbr.lt");
    uint32_t upperInclusive = 0;
    if (upper.empty())
    {
        upper = Attribute(tag, "vnbr.lte");
        upperInclusive = upper.empty() ? 0 : 1;
    }
    const CStringExt number = Attribute(tag, "vnbr"), id = Attribute(tag, "vid"), os = Attribute(tag, "vos"),
                     language = Attribute(tag, "vlang");
    if (id.empty() && number.empty() && os.empty() && language.empty() && lower.empty() && upper.empty())
        return nullptr;

    std::unique_ptr<CZeltoGameVersion> version(new CZeltoGameVersion);
    version->number = number;
    version->id = id;
    version->subVersion = Attribute(tag, "vsub");
    version->operatingSystem = os;
    version->language = language;
    version->name = ChildText(tag, "vname", nameSpace);
    version->description = ChildText(tag, "vdesc", nameSpace);
    version->lowerBound = lower;
    version->lowerInclusive = lowerInclusive;
    version->upperBound = upper;
    version->upperInclusive = upperInclusive;
    const CStringExt compareType = Attribute(tag, "vnbr.type");
    version->numericCompare = EqualsNoCase(compareType, "s") ? 1 : 0;
    version->stringCompare = !compareType.empty() && !version->numericCompare ? 1 : 0;
    version->iconFile = Attribute(tag, "viconf");

    if (const CXmlTag* message = Child(tag, "lmess", nameSpace))
    {
        version->launchMessage = Text(message);
        version->launchMessageTitle = Attribute(message, "title");
        version->launchMessageStyle =
            MessageBoxStyle(Attribute(message, "butts"), Attribute(message, "icon"));
    }
    ReadAttributes(Child(tag, "vattribs", nameSpace), nameSpace, version->attributes);
    ReadTechData(tag, "vtechdata", "vplugdata", nameSpace, version->techData);
    if (const CXmlTag* status = Child(tag, "vstatus", nameSpace))
    {
        version->contextData.launchMode = status->lGetAttributeLong("vlnchmd", 0);
        version->contextData.localInstallStatus = status->lGetAttributeLong("vlis", 0);
    }
    ReadPairs(Child(tag, "vxdata", nameSpace), "xitem", "name", nameSpace, version->extraParameters);
    ForEachChild(tag, "vdd", nameSpace, false,
                 [&](const CXmlTag* volume) {
                     ReadPairs(volume, "vdi", "n", nameSpace,
                               version->CreateVolume(Attribute(volume, "vddn"))->pairs);
                 });
    ForEachChild(Child(tag, "compatibilities", nameSpace, true), "compat", nameSpace, true,
                 [&](const CXmlTag* compat)
                 {
                     std::unique_ptr<CGameCompatibility> record(new CGameCompatibility);
                     record->compatible = !EqualsNoCase(Attribute(compat, "type"), "incompatible");
                     record->isDefault = compat->boGetAttributeBool("default");
                     record->level = compat->lGetAttributeLong("level", 0);
                     if (const CXmlTag* message = Child(compat, "cmess", nameSpace, true))
                     {
                         record->message = Text(message);
                         record->title = Attribute(message, "title");
                         record->style =
                             MessageBoxStyle(Attribute(message, "butts"), Attribute(message, "icon"));
                     }
                     if (depth < kMaxCandidateDepth)
                     {
                         CXmlDocument inner;
                         inner.vSetOperatingMode(kXmlModeTree);
                         inner.vSetDefaultProtocol("STR");
                         if (inner.lLoad("STR://" + compat->DumpXml(false), nullptr) == 0)
                             ReadGames(inner, kGameCandidateNamespace, depth + 1, *record->candidates);
                     }
                     version->compatibilities.push_back(std::move(record));
                 });
    return version;
}

std::unique_ptr<CZeltoGame> ReadGame(const CXmlTag* tag, const std::string& nameSpace, int depth)
{
    std::unique_ptr<CZeltoGame> game(new CZeltoGame);
    game->id = Attribute(tag, "gid");
    game->subId = Attribute(tag, "gsub");
    game->definitionVersion = Attribute(tag, "zgdv");
    game->technoId = Attribute(tag, "technoid");
    game->name = ChildText(tag, "gname", nameSpace);
    game->description = ChildText(tag, "gdesc", nameSpace);
    if (const CXmlTag* scripts = Child(tag, "gscripts", nameSpace))
    {
        game->definitionScript = Attribute(scripts, "definition");
        game->compatibilityScript = Attribute(scripts, "compatibility");
    }
    ReadTechData(tag, "gtechdata", "gplugdata", nameSpace, game->techData);
    ReadAttributes(Child(tag, "gattribs", nameSpace), nameSpace, game->attributes);
    ForEachChild(tag, "version", nameSpace, false,
                 [&](const CXmlTag* versionTag)
                 {
                     if (auto version = ReadVersion(versionTag, nameSpace, depth))
                         game->versions->Add(std::move(version));
                 });
    return game;
}

// Every game element of the namespace, in document order (an enclosing game element
// comes before the ones it holds).
void ReadGames(const CXmlDocument& doc, const std::string& nameSpace, int depth, CZeltoGameList& list)
{
    std::vector<const CXmlTag*> stack{&doc};
    std::vector<const CXmlTag*> children;
    while (!stack.empty())
    {
        const CXmlTag* parent = stack.back();
        stack.pop_back();
        if (parent != &doc && IsElement(parent, "game", nameSpace, false))
            list.Add(ReadGame(parent, nameSpace, depth));
        children.clear();
        for (const CXmlTag* tag = parent->lpGetNextChildTag(nullptr); tag != nullptr;
             tag = parent->lpGetNextChildTag(tag))
            if (!tag->IsLeafTag())
                children.push_back(tag);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
}

void AppendAttribute(std::string& out, const char* name, const std::string& value)
{
    out += ' ';
    out += name;
    out += "=\"";
    out += XmlFormatString(value);
    out += '"';
}

void AppendElement(std::string& out, const char* name, const std::string& text, const char* indent)
{
    out += indent;
    out += '<';
    out += name;
    out += '>';
    out += XmlFormatString(text);
    out += "</";
    out += name;
    out += ">\n";
}

// Markup kept as it stands.
void AppendMarkup(std::string& out, const char* name, const std::string& markup, const char* indent)
{
    out += indent;
    out += '<';
    out += name;
    out += '>';
    out += markup;
    out += "</";
    out += name;
    out += ">\n";
}

void AppendPairs(std::string& out, const CZeltoGenericEnumerator& pairs, const char* item,
                 const char* nameAttribute, const char* indent)
{
    for (const auto& pair : pairs.Pairs())
    {
        out += indent;
        out += '<';
        out += item;
        AppendAttribute(out, nameAttribute, pair.first);
        out += "><val>" + XmlFormatString(pair.second) + "</val></";
        out += item;
        out += ">\n";
    }
}

void AppendAttributes(std::string& out, const char* listName, const std::vector<CGameAttribute>& attributes,
                      const char* indent)
{
    out += indent;
    out += '<';
    out += listName;
    out += ">\n";
    for (const auto& attribute : attributes)
    {
        out += indent;
        out += "  <attrib";
        AppendAttribute(out, "name", attribute.name);
        AppendAttribute(out, "fname", attribute.displayName);
        AppendAttribute(out, "editable", attribute.editable ? "1" : "0");
        AppendAttribute(out, "hide", attribute.hidden ? "1" : "0");
        AppendAttribute(out, "type", attribute.type);
        out += '>' + XmlFormatString(attribute.value);
        for (const auto& option : attribute.options)
        {
            out += "<option";
            AppendAttribute(out, "name", option.first);
            out += '>' + XmlFormatString(option.second) + "</option>";
        }
        out += "</attrib>\n";
    }
    out += indent;
    out += "</";
    out += listName;
    out += ">\n";
}

CStringExt Unsigned(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return text;
}
} // namespace

std::unique_ptr<CZeltoGameList> ParseGameDefinitions(const std::string& text, const std::string& nameSpace,
                                                     int32_t* error)
{
    std::unique_ptr<CZeltoGameList> list(new CZeltoGameList);
    CXmlDocument doc;
    doc.vSetOperatingMode(kXmlModeTree);
    doc.vSetDefaultProtocol("STR");
    int32_t result = doc.lLoad(text, nullptr);
    if (result == 0)
        result = doc.GetLastXmlError();
    if (error != nullptr)
        *error = result;
    if (result == 0)
        ReadGames(doc, nameSpace, 0, *list);
    return list;
}

CStringExt WriteGameDefinitions(const CZeltoGameList& list, const std::string& nameSpace)
{
    std::string out = "<gamedefs>\n";
    for (const auto& game : list.All())
    {
        out += "<game";
        AppendAttribute(out, "xmlns", nameSpace);
        AppendAttribute(out, "gid", game->id);
        AppendAttribute(out, "gsub", game->subId);
        AppendAttribute(out, "technoid", game->technoId);
        AppendAttribute(out, "zgdv", game->definitionVersion);
        out += ">\n";
        AppendElement(out, "gname", game->name, "  ");
        AppendElement(out, "gdesc", game->description, "  ");
        AppendMarkup(out, "gtechdata", game->techData.rawData, "  ");
        AppendMarkup(out, "gplugdata", game->techData.plugData, "  ");
        AppendAttributes(out, "gattribs", game->attributes, "  ");
        for (int32_t i = 0; i < game->versions->Count(); ++i)
        {
            const CZeltoGameVersion* version = game->versions->GetAt(i);
            out += "  <version";
            AppendAttribute(out, "vnbr", version->number);
            AppendAttribute(out, "vid", version->id);
            AppendAttribute(out, "vsub", version->subVersion);
            AppendAttribute(out, "vlang", version->language);
            AppendAttribute(out, "vos", version->operatingSystem);
            AppendAttribute(out, "viconf", version->iconFile);
            out += ">\n";
            AppendElement(out, "vname", version->name, "    ");
            AppendElement(out, "vdesc", version->description, "    ");
            // "#<number>" is the whole style when read back.
            out += "    <lmess";
            AppendAttribute(out, "butts", "#" + Unsigned(version->launchMessageStyle));
            AppendAttribute(out, "title", version->launchMessageTitle);
            out += '>' + XmlFormatString(version->launchMessage) + "</lmess>\n";
            AppendMarkup(out, "vtechdata", version->techData.rawData, "    ");
            AppendMarkup(out, "vplugdata", version->techData.plugData, "    ");
            out += "    <vstatus";
            AppendAttribute(out, "vlnchmd", std::to_string(version->contextData.launchMode));
            AppendAttribute(out, "vlis", std::to_string(version->contextData.localInstallStatus));
            out += "/>\n    <vxdata>\n";
            AppendPairs(out, version->extraParameters, "xitem", "name", "      ");
            out += "    </vxdata>\n";
            for (const auto& volume : version->volumes)
            {
                out += "    <vdd";
                AppendAttribute(out, "vddn", volume->name);
                out += ">\n";
                AppendPairs(out, volume->pairs, "vdi", "n", "      ");
                out += "    </vdd>\n";
            }
            AppendAttributes(out, "vattribs", version->attributes, "    ");
            out += "  </version>\n";
        }
        out += "</game>\n";
    }
    out += "</gamedefs>\n";
    return out;
}

CStringExt ScrambleText(const std::string& text, const std::string& key)
{
    CStringExt result(text);
    if (key.empty())
        return result;
    auto isAlnum = [](char c)
    { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    for (size_t i = 0; i < text.size(); ++i)
    {
        const signed char k = static_cast<signed char>(static_cast<signed char>(key[i % key.size()]) >> 3);
        const char c = static_cast<char>(text[i] ^ k);
        if (isAlnum(c) && isAlnum(text[i]))
            result[i] = c;
    }
    return result;
}

namespace
{
// The storage keys are derived at run time from these texts.
const char kKeySeedA[] = "Zel";
const char kKeyMaskA[] = "Ludex1";
const char kKeySeedB[] = "GameDataKey";
const char kKeyMaskB[] = "localdata catalogue!";
} // namespace

CStringExt ScrambleLocalData(const std::string& document)
{
    const CStringExt first = ScrambleText(kKeySeedA, kKeyMaskB);
    const CStringExt second = ScrambleText(kKeySeedB, kKeyMaskA);
    return ScrambleText(ScrambleText(document, first), second);
}

CStringExt UnscrambleLocalData(const std::string& stored)
{
    const CStringExt first = ScrambleText(kKeySeedA, kKeyMaskB);
    const CStringExt second = ScrambleText(kKeySeedB, kKeyMaskA);
    return ScrambleText(ScrambleText(stored, second), first);
}

void GameVarsFromGame(const CZeltoGame* game, const std::string& prefix, CStringMap& vars)
{
    if (game == nullptr)
        return;
    std::string p = prefix;
    if (!p.empty() && p.back() != '.')
        p += '.';
    vars.SetAt(p + "gid", game->id.c_str());
    vars.SetAt(p + "gsub", game->subId.c_str());
    vars.SetAt(p + "gname", game->name.c_str());
    vars.SetAt(p + "gdesc", game->description.c_str());
    if (const CZeltoGameVersion* version = game->versions->GetAt(0))
    {
        vars.SetAt(p + "vnbr", version->number.c_str());
        vars.SetAt(p + "vid", version->id.c_str());
        vars.SetAt(p + "vsub", version->subVersion.c_str());
        vars.SetAt(p + "vlang", version->language.c_str());
        vars.SetAt(p + "vos", version->operatingSystem.c_str());
        vars.SetAt(p + "vname", version->name.c_str());
        vars.SetAt(p + "vdesc", version->description.c_str());
    }
}
