// Where the chat draws the line between its own text and a stranger's.
//
// Only the chat's own text (its pages, what the user sends and its echo) may
// run directives. Everything else is a stranger's: other users' lines,
// whatever their nick reads as, and everything the server sends (MOTD and
// other server texts, numerics, names). A stranger's text runs only the
// directives that travel between users (group announcements and the
// multi-part pieces that carry a long line), once, as it arrives; what it
// shows is reduced to text styles and browser links, and it stays marked in
// the history so that no later showing of the history gives it more.
#pragma once

#include <string>

namespace ChatModel
{

// Who wrote a text the chat adds or parses.
enum class Origin
{
    kChat,     // the chat's pages, its own sends and their echo
    kStranger, // other users and the server
};

// The tag that marks a stranger's text in the history; the dispatcher shows
// its body through strStrangerShown again each time the history is shown.
extern const char* const kStrangerMark;

// Whether a directive may run while a stranger's text is parsed: DYN_GRP,
// the DYNGRP_ announcements and DYN_MPD. The name as the dispatcher gets it.
bool boStrangerMayRun(const std::string& tagName);

// A stranger's markup as it may be shown: the renderer's text styles,
// blocks and tables stay (none naming an address), links only as the browser
// links strDisarmForeignLinks makes, the directives that ran on arrival and
// the silent-message marks are dropped, and every other tag is shown as
// text. Every '<' that does not begin a kept tag is written "&lt;", so that
// nothing joined, cut or trimmed later reads as a tag. Applying it twice
// changes nothing.
std::string strStrangerShown(const std::string& text);

// strStrangerShown wrapped in the history's mark; empty for an empty result.
std::string strStrangerMarked(const std::string& text);

// Text put into markup: entities encoded, and CR, LF and NUL written as
// character references so that a value sent on keeps one line.
std::string strMarkupValue(const std::string& text);

} // namespace ChatModel
