#include "HtmlTagTable.h"

#include "HtmlElements.h"
#include "HtmlText.h"

// clang-format off
#define ROW(name, alone, cls) {name, alone, HTML_RUNTIME_CLASS(cls)}
// clang-format on

const HtmlTagRow HtmlTagTable[kHtmlTagCount] = {
    ROW("GENERIC_TAG", 0, CTag),
    ROW("NOTAG", 0, CTagTEXT),
    ROW("HTML", 0, CTag),
    ROW("HEAD", 0, CTag),
    ROW("BODY", 0, CTagBODY),
    ROW("TITLE", 0, CTagTITLE),
    ROW("HANDLER", 1, CTag),
    ROW("CENTER", 0, CTagCENTER),
    ROW("P", 0, CTagP),
    ROW("A", 0, CTagA),
    ROW("FONT", 0, CTagFONT),
    ROW("B", 0, CTagB),
    ROW("TT", 0, CTagTT),
    ROW("BLOCKQUOTE", 0, CTagBLOCK),
    ROW("I", 0, CTagI),
    ROW("EM", 0, CTagI),
    ROW("VAR", 0, CTagI),
    ROW("CITE", 0, CTagI),
    ROW("STRIKE", 0, CTagSTRIKE),
    ROW("S", 0, CTagSTRIKE),
    ROW("STRONG", 0, CTagB),
    ROW("SMALL", 0, CTagFSIZE),
    ROW("BIG", 0, CTagFSIZE),
    ROW("U", 0, CTagU),
    ROW("BLINK", 0, CTagBlink),
    ROW("H1", 0, CTagHx),
    ROW("H2", 0, CTagHx),
    ROW("H3", 0, CTagHx),
    ROW("H4", 0, CTagHx),
    ROW("H5", 0, CTagHx),
    ROW("H6", 0, CTagHx),
    ROW("TABLE", 0, CTagTABLE),
    ROW("CAPTION", 0, CTagCAPTION),
    ROW("TR", 0, CTagTR),
    ROW("TD", 0, CTagTD),
    ROW("TH", 0, CTagTH),
    ROW("LI", 0, CTagLI),
    ROW("INPUT", 1, CTagINPUT),
    ROW("SELECT", 0, CTagINPUT),
    ROW("WND", 0, CTagINPUT),
    ROW("OPTION", 0, CTagOPTION),
    ROW("FRAMESET", 0, CTagFRAMESET),
    ROW("FRAME", 0, CTagFRAME),
    ROW("IMG", 1, CTagIMG),
    ROW("RESIMG", 1, CTagIMG),
    ROW("BR", 1, CTagBR),
    ROW("HR", 1, CTagHR),
    ROW("PARAM", 1, CTag),
};

#undef ROW

const HtmlTagRow* HtmlFindTagRow(const std::string& name)
{
    const std::string upper = HtmlUpper(name);
    for (const HtmlTagRow& row : HtmlTagTable)
        if (upper == row.name)
            return &row;
    return nullptr;
}
