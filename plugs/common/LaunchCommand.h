// The texts a game launch is made of: the command line handed to process
// creation and the working directory taken from the executable's path.
#pragma once

#include <string>

// A double quote, the executable, a double quote and, when there are
// parameters, a blank and the parameters.
std::string LaunchCommandLine(const std::string& executable, const std::string& parameters);
// The executable's text up to and including its last backslash or "/"; empty
// when it has neither (the launch then names no directory).
std::string LaunchDirectory(const std::string& executable);
// The text without white space (blank, tab, CR, LF) at either end.
std::string TrimLaunchText(const std::string& text);
