// Detection scripts: condition trees over files and registry values, built from a
// script's XML text, evaluated through an IDetectHost and written back as XML.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DetectHost.h"

class CXmlTag;

enum : int32_t
{
    kCondAnd = 0,
    kCondOr = 1,
    kCondFile = 2,
    kCondReg = 3,
};

enum : uint32_t
{
    kCondFlagNoCommonDir = 0x1, // exempt from the common-directory test
};

// Scripts nest their groups; deeper trees are refused rather than recursed into.
constexpr int32_t kMaxConditionDepth = 64;

struct CConditionNode
{
    int32_t result = 1; // 1 true, 0 false: the last evaluation
    int32_t kind = kCondAnd;
    uint32_t flags = 0;
    bool isGroup = true;
    std::string firstText;  // file: name; reg: key
    std::string secondText; // file: fullpath; reg: value name
    // Attribute words (lower case) with their non-empty texts; "found:fullpath" too.
    std::map<std::string, std::string> attributes;
    std::vector<std::unique_ptr<CConditionNode>> children;
    std::string originName; // the file name a copy of the tree was made for

    bool boHas(const std::string& word) const;
    std::string Get(const std::string& word) const; // "" when not set
    std::unique_ptr<CConditionNode> Clone() const;
};

// Builds the tree of a script's text; null when it does not load, has no element or
// nests too deep. The host reads the registry for "pathregkey".
std::unique_ptr<CConditionNode> lpBuildConditionTree(const std::string& scriptText, IDetectHost& host);
// The node of one element and its children; null when nesting passes depth.
std::unique_ptr<CConditionNode> lpBuildConditionNode(const CXmlTag& element, IDetectHost& host,
                                                     int32_t depth);

// Evaluates the node and all its descendants, storing each result; true when it holds.
bool boEvaluateCondition(CConditionNode& node, IDetectHost& host);

// The concrete conditions of the tree as XML: found paths and digests of files, the
// words of registry conditions (flags with the text "1", so that they read back).
// Attribute texts are written with entity references, so paths holding & or " survive.
std::string csConditionToXml(const CConditionNode& node);
