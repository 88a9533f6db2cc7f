#pragma once
// Names of the five browser pictures, resources of type "ICONS" (BrowserIcons.rc,
// which the module that links the closing routine adds to its resources).
namespace FdNavClose
{
constexpr const char* kszIconType = "ICONS";
constexpr const char* kaszIconNames[] = {"IEXPLORE302", "IEXPLORE40", "IEXPLORE500", "NETSCAPE304",
                                         "NETSCAPE404"};
} // namespace FdNavClose
