// The launcher's side of the launch plugs: the container object a plug calls
// back (class LudexPlugContainer), the binding of a plug name to its class
// under HKCU "Software\Zelto\Ludex\plugs", and the creation and release of plugs.
#pragma once

#include <windows.h>

#include <string>

#include "LudexLib.h"
#include "PlugSite.h"

class CScriptItem;

extern const char* const kPlugsKey;

// The class a binding text names: "clsid:{...}" or "progid:X.Y.1", the prefix in
// any case. False for any other text or an identifier that does not convert.
bool PlugClassOf(const std::string& binding, CLSID& clsid);

// Creates the plug bound to name, hands it a container bound to the site with
// item as the callback, and calls Init. Null when the plug cannot be made.
ILudexPlug* CreatePlugObject(CPlugSite& site, const std::string& name, CScriptItem* item);
// Terminate, the containers handed to the plug unbound from the site, Release.
void ReleasePlugObject(CPlugSite& site, ILudexPlug* plug);
// Writes the binding text as the plug key's default value; true when written.
bool RegisterPlugObject(const std::string& name, const std::string& binding);

// A container bound to the site for plugKey (or to nothing when site is null);
// one reference for the caller.
HRESULT hrCreatePlugContainer(CPlugSite* site, const void* plugKey, ILudexPlugContainer** container);
// Class table entry: a container bound to no site.
HRESULT hrCreateLudexPlugContainer(REFIID riid, void** ppv);
