#include "XmlEventSink.h"

int32_t CXmlEventSink::OnPreProcessTag(const CStringExt&, const CStringExt&, const CXmlNamespace*,
                                       const CXmlNamespaceScope&, std::string&, CXmlDocument*)
{
    return kXmlKeepElement;
}

void CXmlEventSink::OnLoadEvent(int32_t, int32_t, int32_t, CXmlDocument*) {}

void CXmlEventSink::OnDetach(CXmlDocument*) {}

void CXmlEventSink::ResolveProtocol(CStringExt&, CStringExt&, CXmlDocument*) {}
