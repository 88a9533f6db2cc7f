// The renderer's run-time class layer: every element class has a class
// record (name, schema, create function) and can be created by name, as the
// parser does from its tag table.
#pragma once

#include <cstdint>

class CHtmlObject;

struct CHtmlRuntimeClass
{
    const char* className;
    uint32_t schema;
    CHtmlObject* (*create)();
    const CHtmlRuntimeClass* base;

    CHtmlObject* CreateObject() const { return create != nullptr ? create() : nullptr; }
    bool IsDerivedFrom(const CHtmlRuntimeClass* other) const;
    // The registered class of that name (case-sensitive), or nullptr.
    static const CHtmlRuntimeClass* FromName(const char* name);
    static CHtmlObject* CreateByName(const char* name);
};

// Base of the renderer's objects that travel as event senders.
class CHtmlObject
{
public:
    virtual ~CHtmlObject() = default;
    virtual const CHtmlRuntimeClass* GetRuntimeClass() const = 0;
    bool IsKindOf(const CHtmlRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }
};

// Adds a class record to the registry (done once per class at start-up).
struct CHtmlClassRegistration
{
    explicit CHtmlClassRegistration(const CHtmlRuntimeClass* cls);
};

#define HTML_DECLARE_DYNCREATE(cls)                                                                          \
public:                                                                                                      \
    static const CHtmlRuntimeClass class##cls;                                                               \
    static CHtmlObject* CreateObject##cls();                                                                 \
    const CHtmlRuntimeClass* GetRuntimeClass() const override                                                \
    {                                                                                                        \
        return &class##cls;                                                                                  \
    }

#define HTML_IMPLEMENT_DYNCREATE(cls, basecls)                                                               \
    CHtmlObject* cls::CreateObject##cls()                                                                    \
    {                                                                                                        \
        return new cls;                                                                                      \
    }                                                                                                        \
    const CHtmlRuntimeClass cls::class##cls = {#cls, 0xFFFF, &cls::CreateObject##cls, basecls};              \
    static const CHtmlClassRegistration registration##cls(&cls::class##cls);

#define HTML_RUNTIME_CLASS(cls) (&cls::class##cls)
