// CScriptItem: one command of a sub-script and its state machine. An item is
// started synchronously (CmdStart runs its states until it ends or waits) and,
// when it waits, driven by TransitProc on every engine step until its awaited
// completion makes AsyncDone answer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ScriptEngine.h"
#include "StringMap.h"
#include "XmlDocument.h"

class CSubScript;
class CLaunchPart;

class CScriptItem : protected CXmlEventSink
{
public:
    static constexpr int32_t kIdle = -1;
    static constexpr int32_t kError = -1;
    static constexpr int32_t kTransit = -10;
    static constexpr int32_t kOver = static_cast<int32_t>(0x80000001u);

    CScriptItem();
    virtual ~CScriptItem();
    CScriptItem(const CScriptItem&) = delete;
    CScriptItem& operator=(const CScriptItem&) = delete;

    void Init(const std::string& text, CSubScript* owner);
    CLaunchPart* GetOwner() const;
    CSubScript* GetSubScript() const { return m_pOwner; }
    int32_t GetState() const { return m_state; }
    const std::string& GetText() const { return m_text; }

    // -1 (error), kOver, or the state the item waits in.
    int32_t CmdStart();
    int32_t TransitProc(int32_t quiet);
    int32_t vRunSynch(int32_t state);

    bool CallLinkedSubScript(const std::string& link, int32_t quiet);
    bool CallNextSubScript(const std::string& name);
    bool CallOnStopSubScript();
    void AbortSubScript();

    virtual const char* GetKeyword() const = 0;
    virtual int32_t StateProc(int32_t state) = 0;
    virtual int32_t AsyncDone(int32_t /*state*/) { return 0; }
    virtual void OnError();

    // The plug container's calls for the plug this item runs.
    int32_t StrContextVarsUpdate(const CStringMap* extraVars, std::string& text);
    int32_t SendBstrData(const std::string& verb, const std::string& source, const std::string& destination,
                         const std::string& data);
    int32_t SendBinaryData() { return 1; }
    // reference: the item tank context searched ("" any), a plug's "ludexplug:" + name.
    int32_t GetItemTankValue(const std::string& path, CStringExt& value, const std::string& reference = "");

protected:
    int32_t OnPreProcessTag(const CStringExt& name, const CStringExt& attributes, const CXmlNamespace* tagNamespace,
                            const CXmlNamespaceScope& scope, std::string& content, CXmlDocument* document) override;
    CScriptContext* Context() const;
    // The command's tag (the first element of the loaded command text), or null.
    CXmlTag* CommandTag() const;

    std::string m_text;
    CXmlDocument m_doc;
    int32_t m_state = kIdle;
    CStringMap m_sslinks;
    CSubScript* m_pOwner = nullptr;
    CScriptLog m_log;
};

// The factory's keywords, in the order they are matched (case-insensitively).
extern const char* const kScriptItemKeywords[11];
// The factory's spelling of keyword, or null when no item kind has it.
const char* FindScriptItemKeyword(const std::string& keyword);
