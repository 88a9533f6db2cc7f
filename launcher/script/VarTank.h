// CVarTank: the launch script's variables (name -> text, names compared exactly),
// filled by ludexs.vardef blocks, the page's parameters and the items.
// ExpandScriptVars substitutes "[%name%]" references in command texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ScriptAlert.h"
#include "StringMap.h"
#include "XmlDocument.h"

class CVarTank final : private CXmlEventSink
{
public:
    CVarTank();
    ~CVarTank();
    CVarTank(const CVarTank&) = delete;
    CVarTank& operator=(const CVarTank&) = delete;

    // Reads a ludexs.vardef block ("var" tags with a name attribute). 1 on success;
    // on a parse failure alerts "Failed to load :\n" + text and returns 0 (the tags
    // met before the error stay set).
    int32_t LoadText(const std::string& text);
    bool GetScriptVar(const std::string& name, CStringExt& value) const;
    void SetScriptVar(const std::string& name, const std::string& value);
    void Clear();
    const CStringMap& Vars() const { return *m_vars; }
    void SetAlert(ScriptAlert alert) { m_alert = std::move(alert); }

private:
    int32_t OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace* tagNamespace,
                            const CXmlNamespaceScope& scope, std::string& content, CXmlDocument* document) override;

    std::unique_ptr<CStringMap> m_vars;
    CXmlDocument m_doc;
    ScriptAlert m_alert;
};

// Replaces the "[%name%]" references of text in place and returns how many were
// found. "[%%name%%]" inserts the url-encoded value and drops the pair of quotes
// around the reference when there is one. extraVars (may be null) is searched
// before the tank; an unknown name gives an empty value. Inserted values are not
// expanded again.
int32_t ExpandScriptVars(std::string& text, const CVarTank& tank, const CStringMap* extraVars);
