// Names of images: the decoder a name asks for, the cache's key, and the
// path and blank helpers of the image source.
#pragma once

#include <string>

namespace FdHtml
{
enum EImageKind
{
    kImageUnknown = 0,
    kImageGif = 1,
    kImageBmp = 2,
};

// Trailing blanks removed, the last three characters upper-cased: "GIF" is
// a GIF, "BMP" a BMP, anything else unknown.
EImageKind imageKindByName(const std::string& name);

// The cache's key: the name upper-cased (ASCII letters only).
std::string strImageKey(const std::string& name);
// "RES://..." (after upper-casing): the rest names a module resource.
bool boIsResourceName(const std::string& key, std::string* pResName);

std::string strSlashesToBackslashes(std::string s);
std::string strBackslashesToSlashes(std::string s);
std::string strTrimRight(const std::string& s);
std::string strTrimLeft(const std::string& s);
std::string strTrim(const std::string& s);
} // namespace FdHtml
