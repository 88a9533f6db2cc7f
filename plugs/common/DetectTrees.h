// The candidate trees of one game version during a detection run: found files fill
// the trees (one candidate per location), trees whose files lie in unrelated folders
// are dropped, duplicates removed, and the variables of true trees collected.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DetectCondition.h"

using ConditionTrees = std::vector<std::unique_ptr<CConditionNode>>;
using DetectVariables = std::vector<std::pair<std::string, std::string>>;

// The text before the last backslash or slash ("" without one), and the text after it.
std::string PathDirectory(const std::string& path);
std::string PathFileName(const std::string& path);

// Every file node of the tree, depth-first, groups in order.
void vCollectFileNodes(CConditionNode& tree, std::vector<CConditionNode*>& nodes);

// A file was found at path: file nodes named like it get it as their found path. A
// tree that already found a file of that name is first copied as it stands (the copy
// keeps the earlier location and is appended after the pass), unless the tree itself
// is the copy made for that name.
void vOnFileFound(ConditionTrees& trees, const std::string& path);

// Common-directory test: the found folders through "and" groups must nest in one
// another, else the tree is deleted; file nodes anywhere in a kept tree whose folder
// does not nest with the common one lose their found path.
void vPruneTrees(ConditionTrees& trees);

// Deletes every tree equal to an earlier one (kinds, flags, texts and found paths,
// texts compared without regard to case).
void vRemoveDuplicateTrees(ConditionTrees& trees);
bool boSameCondition(const CConditionNode& a, const CConditionNode& b);

// The variables named by the true nodes' "var:" words, in tree order: of files their
// found path, its folder and file name; of registry values found their key, value
// name and text.
void vCollectVariables(const CConditionNode& tree, IDetectHost& host, DetectVariables& variables);
