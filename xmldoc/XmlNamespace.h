// Namespace declarations: "xmlns" (empty prefix, the default namespace) and "xmlns:p".
#pragma once

#include <vector>

#include "StringExt.h"

struct CXmlNamespace
{
    CStringExt prefix;
    CStringExt name;
};

// Declarations in scope, the most recent last.
using CXmlNamespaceScope = std::vector<const CXmlNamespace*>;

// The prefix of a qualified tag name ("p:local" gives "p"; no colon gives "").
CStringExt XmlNamePrefix(const std::string& qualifiedName);
// The declaration that a prefix refers to in a scope: the most recent one with that
// prefix, or null when there is none or its namespace name is empty.
const CXmlNamespace* XmlResolvePrefix(const CXmlNamespaceScope& scope, const std::string& prefix);
