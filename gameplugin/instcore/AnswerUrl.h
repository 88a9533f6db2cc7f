#pragma once
// Answers to pages: the parameters go into the page address as a query
// "?params=" followed by the pairs joined by "££", written "%A3%A3".
#include <string>

class CParamList;

namespace AnswerUrl
{

constexpr const char* kszQuery = "?params=";
constexpr const char* kszQueryMore = "&params="; // when the page address already has a query
constexpr const char* kszPageSeparator = "%A3%A3";

// Every pair but TURL and BFRM, forward, with "%A3%A3" as separator. The list keeps
// its separator and has every pair shown again afterwards.
std::string strSerializeForPage(CParamList& list);

// The page address with the parameter text appended; an empty text leaves it unchanged.
std::string strBuild(const std::string& strPage, const std::string& strParams);

} // namespace AnswerUrl
