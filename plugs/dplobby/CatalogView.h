// The launcher's game catalogue (IZeltoGameList and its companions) as the plug's
// platform-free code sees it: games, versions and their "DP" context volume.
#pragma once

#include <memory>

#include "LudexLib.h"
#include "XmlDetector.h"

// Borrows list (one reference held by the view).
std::unique_ptr<IDetectGameList> lpViewGameList(IZeltoGameList* list);
// Borrows version (one reference held by the view).
std::shared_ptr<IDetectVersion> lpViewGameVersion(IZeltoGameVersion* version);
