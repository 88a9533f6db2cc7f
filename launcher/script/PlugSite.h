// CPlugSite: the engine side of the launch plugs a launch part creates. The
// containers handed to those plugs pass the plugs' calls to the site's
// callback, the script item that created the last plug. A container binds
// itself to the site; the site unbinds every container when it goes, and a
// plug's release unbinds that plug's containers, so a plug that keeps its
// container longer reaches nothing.
#pragma once

#include <algorithm>
#include <vector>

#include "StringExt.h"

class CScriptItem;

// A container bound to a site.
class IPlugSiteBinding
{
public:
    // The plug this container was handed to (compared, never called).
    virtual const void* PlugKey() const = 0;
    // The site goes or no longer serves the plug: forget it.
    virtual void OnSiteGone() = 0;

protected:
    ~IPlugSiteBinding() = default;
};

class CPlugSite
{
public:
    CPlugSite() = default;
    ~CPlugSite()
    {
        const std::vector<IPlugSiteBinding*> bindings = m_bindings;
        m_bindings.clear();
        for (IPlugSiteBinding* binding : bindings)
            binding->OnSiteGone();
    }
    CPlugSite(const CPlugSite&) = delete;
    CPlugSite& operator=(const CPlugSite&) = delete;

    void Bind(IPlugSiteBinding* binding) { m_bindings.push_back(binding); }
    void Unbind(IPlugSiteBinding* binding)
    {
        m_bindings.erase(std::remove(m_bindings.begin(), m_bindings.end(), binding), m_bindings.end());
    }
    // Unbinds the containers of that plug and clears the callback.
    void ReleasePlug(const void* plugKey)
    {
        const std::vector<IPlugSiteBinding*> bindings = m_bindings;
        for (IPlugSiteBinding* binding : bindings)
            if (binding->PlugKey() == plugKey)
            {
                Unbind(binding);
                binding->OnSiteGone();
            }
        callback = nullptr;
    }
    size_t BindingCount() const { return m_bindings.size(); }

    // The item the plugs' calls reach (not owned); null: no callbacks.
    CScriptItem* callback = nullptr;
    // The name under which the last plug was created.
    CStringExt plugName;

private:
    std::vector<IPlugSiteBinding*> m_bindings;
};
