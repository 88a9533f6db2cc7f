#include "InstanceRegistry.h"

CInstanceRegistry& CInstanceRegistry::Get()
{
    static CInstanceRegistry s_registry;
    return s_registry;
}

void CInstanceRegistry::vAdd(const std::string& strName, CPlugInst* lpInstance)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_instances[strName] = lpInstance;
}

void CInstanceRegistry::vRemove(const std::string& strName, CPlugInst* lpInstance)
{
    FdSystem::CAutoLock lock(&m_lock);
    auto it = m_instances.find(strName);
    if (it != m_instances.end() && it->second == lpInstance)
        m_instances.erase(it);
}

CPlugInst* CInstanceRegistry::lpFind(const std::string& strName)
{
    FdSystem::CAutoLock lock(&m_lock);
    auto it = m_instances.find(strName);
    return it == m_instances.end() ? nullptr : it->second;
}
