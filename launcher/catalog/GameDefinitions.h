// Game definitions: the XML format of games and versions, read into and written from
// the catalogue, and the reversible scrambling of the local game data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "GameCatalog.h"

class CStringMap;

// Namespaces of the game elements, by source.
extern const char* const kGameDefNamespace;       // local data, definition scripts
extern const char* const kGameCompatRefNamespace; // compatibility scripts
extern const char* const kGameCandidateNamespace; // the games inside a compat element
extern const char* const kGameLaunchNamespace;    // the launch game

// Reads every game element of the namespace. The text is XML (default protocol "STR")
// or a FILE:// or RES:// address. A text that does not load, or has an XML error,
// gives an empty list and *error (when given) its non-zero code; 0 otherwise.
std::unique_ptr<CZeltoGameList> ParseGameDefinitions(const std::string& text, const std::string& nameSpace,
                                                     int32_t* error = nullptr);

// The document of the list's games (all of them, whatever the filter). Bounds, compare
// modes, scripts and compatibility records are not written.
CStringExt WriteGameDefinitions(const CZeltoGameList& list, const std::string& nameSpace);

// Letters and digits XOR key[i % length] >> 3 where the result is a letter or digit;
// applied twice with the same key it gives the text back.
CStringExt ScrambleText(const std::string& text, const std::string& key);

// The two passes of the stored local game data.
CStringExt ScrambleLocalData(const std::string& document);
CStringExt UnscrambleLocalData(const std::string& stored);

// Launch variables of the game and its first version, named prefix + "." + field.
void GameVarsFromGame(const CZeltoGame* game, const std::string& prefix, CStringMap& vars);
