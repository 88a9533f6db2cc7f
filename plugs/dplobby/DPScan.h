// Marks the versions of a game list whose DirectPlay application is registered on the
// machine and gives the application's GUID, path and file to the version's "DP"
// context volume.
#pragma once

#include <vector>

#include "DPLaunchInfo.h"
#include "XmlDetector.h"

// The context volume of the DirectPlay plug.
extern const char kDPVolumeName[]; // "DP"

// Every version of the list: installed (1) when the GUID of its description names a
// registered application (the first one with that GUID), else absent (-1). A version
// already marked -1 is left as it is.
void vScanDPApplications(const std::vector<SDPApplication>& applications, IDetectGameList& list);
