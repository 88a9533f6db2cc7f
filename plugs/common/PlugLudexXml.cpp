#include "PlugLudexXml.h"

#include "FdBstr.h"

FdWin::TComRef<ILudexXml> lpGetLudexXml(ILudexPlugContainer* container, ILudexXmlObserver* observer)
{
    FdWin::TComRef<ILudexXml> xml;
    if (container == nullptr)
        return xml;
    FdWin::TComRef<IUnknown> object;
    if (FAILED(container->GetLudexObject(FdCom::CBstr("LudexXml").bstr(), FdCom::CBstr("").bstr(), 0,
                                         object.ppOut())) ||
        !object)
        return xml;
    if (FAILED(object->QueryInterface(IID_ILudexXml, xml.ppvOut())) || !xml)
        return FdWin::TComRef<ILudexXml>();
    if (observer != nullptr)
        xml->SetObserver(observer);
    xml->SetDefaultProtocol(FdCom::CBstr("str").bstr());
    return xml;
}
