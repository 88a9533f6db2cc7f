#include "HtmlRuntimeClass.h"

#include <cstring>
#include <vector>

namespace
{
// Function-local so that registrations from any file's static initialisers
// find it constructed.
std::vector<const CHtmlRuntimeClass*>& Registry()
{
    static std::vector<const CHtmlRuntimeClass*> classes;
    return classes;
}
} // namespace

CHtmlClassRegistration::CHtmlClassRegistration(const CHtmlRuntimeClass* cls)
{
    Registry().push_back(cls);
}

bool CHtmlRuntimeClass::IsDerivedFrom(const CHtmlRuntimeClass* other) const
{
    for (const CHtmlRuntimeClass* c = this; c != nullptr; c = c->base)
        if (c == other)
            return true;
    return false;
}

const CHtmlRuntimeClass* CHtmlRuntimeClass::FromName(const char* name)
{
    for (const CHtmlRuntimeClass* cls : Registry())
        if (std::strcmp(cls->className, name) == 0)
            return cls;
    return nullptr;
}

CHtmlObject* CHtmlRuntimeClass::CreateByName(const char* name)
{
    const CHtmlRuntimeClass* cls = FromName(name);
    return cls != nullptr ? cls->CreateObject() : nullptr;
}
