// The plug-in's platform-free decisions: the stream type it asks of the
// browser, and, in the ActiveX control's browser emulation, the page's
// addresses, the resolution of requested addresses and their MIME types.
#pragma once

#include <cstdint>
#include <string>

namespace ChatPlugin
{
// The stream type for a new stream of MIME type `type` (may be null) whose
// address is `url` (may be null); `proposed` is the browser's.
uint16_t uChooseStreamType(const char* type, const char* url, uint16_t proposed);

// The page's folder (its address up to the last '/', excluded) and its site
// root (up to the first '/' after "://"). An address without a path has the
// site root, the whole address, for both.
void vSplitPageUrl(const std::string& page, std::string& dir, std::string& root);

// A requested address relative to the page: "/..." on the site root, any
// address holding "://" unchanged, anything else in the page's folder.
std::string strResolveUrl(const std::string& url, const std::string& dir, const std::string& root);

// The MIME type the emulation announces for an address: by a lower-case
// substring test of known endings, then the "src" ending (the PARAM "type"),
// then ".txt", else "application/octet-stream".
std::string strChooseMime(const std::string& url, const std::string& srcEnding, const std::string& typeParam);

// The ending of "src" from its last '.', kept only when both "type" and
// "src" are given and "src" holds a '.'; else empty.
std::string strSrcEnding(const std::string& type, const std::string& src);
} // namespace ChatPlugin
