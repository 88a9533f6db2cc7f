// The element classes of the tag table. Text runs, TITLE and OPTION build
// their content here; the other classes take the element base's behaviour
// until their layout, painting and events are added.
#pragma once

#include <string>

#include "HtmlTag.h"

class CTagTEXT : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTEXT)

public:
    // The run's text: its content with white space folded and entities decoded.
    int32_t Build() override;
    const std::string& GetText() const { return m_text; }

private:
    std::string m_text;
};

class CTagBODY : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagBODY)
};

class CTagTITLE : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTITLE)

public:
    // Longest title handed to the document.
    static constexpr size_t kMaxTitle = 1023;
    // The content (cut to kMaxTitle bytes) becomes the document's title.
    int32_t Build() override;
    const std::string& GetTitle() const { return m_title; }

private:
    std::string m_title;
};

class CTagCENTER : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagCENTER)
};

class CTagP : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagP)
};

class CTagA : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagA)
};

class CTagFONT : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagFONT)
};

class CTagFSIZE : public CTagFONT
{
    HTML_DECLARE_DYNCREATE(CTagFSIZE)
};

class CTagB : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagB)
};

class CTagTT : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTT)
};

class CTagBLOCK : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagBLOCK)
};

class CTagI : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagI)
};

class CTagSTRIKE : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagSTRIKE)
};

class CTagU : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagU)
};

class CTagBlink : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagBlink)
};

class CTagHx : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagHx)
};

class CTagTABLE : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTABLE)
};

class CTagCAPTION : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagCAPTION)
};

class CTagTR : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTR)
};

class CTagTD : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagTD)
};

class CTagTH : public CTagTD
{
    HTML_DECLARE_DYNCREATE(CTagTH)
};

class CTagLI : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagLI)
};

class CTagINPUT : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagINPUT)
};

class CTagOPTION : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagOPTION)

public:
    // The entry's text (its content as written), VALUE and SELECTED.
    int32_t Build() override;
    const std::string& GetText() const { return m_text; }
    const std::string& GetValue() const { return m_value; }
    int32_t IsSelected() const { return m_selected; }

private:
    std::string m_text;
    std::string m_value;
    int32_t m_selected = 0;
};

class CTagFRAME : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagFRAME)
};

class CTagFRAMESET : public CTagFRAME
{
    HTML_DECLARE_DYNCREATE(CTagFRAMESET)
};

class CTagIMG : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagIMG)
};

class CTagBR : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagBR)
};

class CTagHR : public CTag
{
    HTML_DECLARE_DYNCREATE(CTagHR)
};
