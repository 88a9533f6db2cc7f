#include "LaunchCommand.h"

std::string LaunchCommandLine(const std::string& executable, const std::string& parameters)
{
    std::string line = "\"" + executable + "\"";
    if (!parameters.empty())
        line += " " + parameters;
    return line;
}

std::string LaunchDirectory(const std::string& executable)
{
    const std::string::size_type slash = executable.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : executable.substr(0, slash + 1);
}

std::string TrimLaunchText(const std::string& text)
{
    const char* const blanks = " \t\r\n";
    const std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
