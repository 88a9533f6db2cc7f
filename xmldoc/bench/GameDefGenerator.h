// A generated game-definition document: the shape the launcher reads from the
// service (games with versions, attributes, texts, namespaces and entities).
#pragma once

#include <cstdint>
#include <string>

namespace fdbench
{
class CLcg
{
public:
    explicit CLcg(uint32_t seed) : m_state(seed) {}
    uint32_t Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    uint32_t Below(uint32_t n) { return Next() % n; }

private:
    uint32_t m_state;
};

inline std::string Word(CLcg& rng)
{
    static const char* const kWords[] = {"Zelto", "arena", "quest",      "r\xE9seau", "caf\xE9",   "tour",
                                         "&amp;", "&lt;3", "L\xE9gende", "x&#233;y",  "\xC9t\xE9", "war"};
    return kWords[rng.Below(sizeof kWords / sizeof kWords[0])];
}

inline std::string Phrase(CLcg& rng, int words)
{
    std::string text;
    for (int i = 0; i < words; ++i)
    {
        if (i > 0)
            text += ' ';
        text += Word(rng);
    }
    return text;
}

// About targetBytes of ISO-8859-1 XML.
inline std::string GenerateGameDefinitions(size_t targetBytes, uint32_t seed)
{
    CLcg rng(seed);
    std::string xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                      "<ludexs.gdef xmlns=\"urn:zelto:gdef\" xmlns:t=\"urn:zelto:tech\">\n";
    for (uint32_t game = 0; xml.size() < targetBytes; ++game)
    {
        xml += "  <!-- game " + std::to_string(game) + " -->\n";
        xml += "  <game gid=\"" + std::to_string(game) + "\" gsub=\"" + std::to_string(rng.Below(4)) +
               "\" technoid=\"t" + std::to_string(rng.Below(3)) + "\" zgdv=\"1.0\">\n";
        xml += "    <gname>" + Phrase(rng, 2 + static_cast<int>(rng.Below(3))) + "</gname>\n";
        xml += "    <gdesc>" + Phrase(rng, 5 + static_cast<int>(rng.Below(10))) + "</gdesc>\n";
        xml += "    <gscripts definition=\"http://zelto.example/d/" + std::to_string(game) +
               ".xml?a=1&amp;b=2\" compatibility=\"c" + std::to_string(game) + ".xml\"/>\n";
        xml += "    <t:gtechdata><t:vtident exe=\"game" + std::to_string(game) + ".exe\" size=\"" +
               std::to_string(rng.Below(100000)) + "\"/></t:gtechdata>\n";
        xml += "    <gattribs>\n";
        for (uint32_t a = rng.Below(3); a > 0; --a)
            xml += "      <attrib name=\"opt" + std::to_string(a) + "\" editable=\"yes\" type=\"list\">" +
                   Word(rng) + "<option name=\"o1\">" + Word(rng) + "</option></attrib>\n";
        xml += "    </gattribs>\n";
        for (uint32_t v = 1 + rng.Below(3); v > 0; --v)
        {
            xml += "    <version vnbr=\"" + std::to_string(v) + "." + std::to_string(rng.Below(10)) +
                   "\" vid=\"" + std::to_string(game * 10 + v) + "\" vlang=\"fr\" vos=\"win32\">\n";
            xml += "      <vname>" + Phrase(rng, 3) + "</vname>\n";
            xml += "      <lmess butts=\"yesno\" icon=\"info\" title=\"" + Phrase(rng, 2) + "\">" +
                   Phrase(rng, 6) + "</lmess>\n";
            xml += "      <vstatus vlnchmd=\"" + std::to_string(rng.Below(3)) + "\" vlis=\"0\"/>\n";
            xml += "      <vxdata><xitem name=\"path\"><val>C:\\Games\\" + std::to_string(game) +
                   "</val></xitem></vxdata>\n";
            xml += "    </version>\n";
        }
        xml += "  </game>\n";
    }
    xml += "</ludexs.gdef>\n";
    return xml;
}
} // namespace fdbench
