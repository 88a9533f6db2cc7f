// Text utilities of the chat that need the renderer's markup rules: markup
// to plain text and the trimming of the message history.
#pragma once

#include <string>

namespace ChatModel
{

// Tags dropped ("<BR>" becomes CR LF), then entities decoded.
std::string strMarkupToText(const std::string& text);

// Drops at least `count` characters from the front without cutting an element
// apart: the cut is the first tag end at or past `count` where no element is
// open. Tags that never close (the renderer's no-end-tag set, "<x/>",
// comments) are not counted. Without such a place the cut follows the last
// "</DI_HI>" past `count`, and without that the result is empty.
std::string strTrimHistory(const std::string& text, long count);

} // namespace ChatModel
