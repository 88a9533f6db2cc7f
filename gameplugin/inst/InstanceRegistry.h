#pragma once
// The process's named plug-in instances, by name, under their own lock. Pages
// name an instance to draw into it (redirection) and components name it as a
// zone.
#include "CriticalSection.h"

#include <map>
#include <string>

class CPlugInst;

class CInstanceRegistry
{
public:
    static CInstanceRegistry& Get();

    // A later instance of the same name takes the name over.
    void vAdd(const std::string& strName, CPlugInst* lpInstance);
    // Removes the name only while it still belongs to this instance.
    void vRemove(const std::string& strName, CPlugInst* lpInstance);
    // The instance of that name, or null.
    CPlugInst* lpFind(const std::string& strName);

private:
    CInstanceRegistry() = default;

    FdSystem::CCriticalSection m_lock;
    std::map<std::string, CPlugInst*> m_instances;
};
