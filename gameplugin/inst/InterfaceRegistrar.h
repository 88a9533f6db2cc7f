#pragma once
// Registers interfaces for marshalling by the automation marshaller: for each
// (IID, name) pair, HKCR "Interface\{IID}" = name with "ProxyStubClsid" and
// "ProxyStubClsid32" naming the marshaller, and "TypeLib" naming the plug-in's
// type library, version "1.0".
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class CInterfaceRegistrar
{
public:
    static constexpr const char* kszAutomationMarshaller = "{00020424-0000-0000-C000-000000000046}";
    static constexpr const char* kszPlugInTypeLib = "{BF5FFE47-ECDF-47ce-A207-57E747EE5365}";
    static constexpr const char* kszTypeLibVersion = "1.0";

    // The IID in its braced text form.
    void vAdd(const char* lpszIid, const char* lpszName);
    // Writes every pair collected; the first failing Win32 result, or ERROR_SUCCESS.
    LONG lRegister() const;

    // The plug-in's pairs: the two component interfaces, then the game object-model
    // interfaces (declared for marshalling only).
    static CInterfaceRegistrar plugInInterfaces();

private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
};
