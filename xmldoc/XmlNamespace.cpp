#include "XmlNamespace.h"

CStringExt XmlNamePrefix(const std::string& qualifiedName)
{
    const size_t colon = qualifiedName.find(':');
    return colon == std::string::npos ? CStringExt() : CStringExt(qualifiedName.substr(0, colon));
}

const CXmlNamespace* XmlResolvePrefix(const CXmlNamespaceScope& scope, const std::string& prefix)
{
    for (auto it = scope.rbegin(); it != scope.rend(); ++it)
        if ((*it)->prefix == prefix)
            return (*it)->name.empty() ? nullptr : *it;
    return nullptr;
}
