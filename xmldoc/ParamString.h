// Parameter strings: name=value pairs separated by blanks or tabs, names in any case,
// values possibly in double quotes ("launchscript=x.xml dbg").
#pragma once

#include <string>

#include "StringExt.h"

// The value after "name" and "=" (only blanks between them): quotes removed, entity
// references decoded. The default when the name stands without "=" or with nothing
// after it; "" when the name does not occur.
CStringExt FindParamValue(const std::string& name, const std::string& params,
                          const std::string& defaultValue);
// True when the name occurs as a parameter.
bool HasParam(const std::string& name, const std::string& params);
