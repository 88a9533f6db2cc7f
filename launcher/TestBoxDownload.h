// How the test box fetches what a script asks the page to download: it runs
// without a browser plug-in, so it reads http addresses itself.
#pragma once

#include <string>

// Reads url into a new temporary file whose path goes to path; false (and no
// file) when the address cannot be read or answers with an HTTP error status.
bool boDownloadToTempFile(const std::string& url, std::string& path);
