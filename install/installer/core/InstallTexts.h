#pragma once
// Texts of the install script: date texts and file times, registry paths,
// file versions, fields of a line, action lines.
#include <cstdint>
#include <string>
#include <vector>

namespace FdInstall
{
// File times are 100-ns ticks since 1601-01-01 (a FILETIME as one number);
// 0 means no time.
using FileTime = uint64_t;

// "dd/mm/yyyy hh:mm:ss": day, month, year, hour, minute, second at positions 0,
// 3, 6, 11, 14, 17 (the separators may be anything), an hour earlier unless the
// hour is 0 (10:30 is 09:30, 00:30 stays 00:30 of the same day). No time (0) for a
// text shorter than 19 characters, fields not in digits or a date that does not
// exist.
FileTime ftParseDateText(const std::string& strText);
// The ticks of a calendar time; 0 when it does not exist (years 1601-30827).
FileTime ftFromCalendar(int iYear, int iMonth, int iDay, int iHour, int iMinute, int iSecond);

enum class ERegRoot
{
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
};
struct SRegPath
{
    ERegRoot eRoot = ERegRoot::LocalMachine;
    std::string strSubKey;
};
// Splits a full key path at the first "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
// "HKEY_LOCAL_MACHINE" or "HKEY_USERS" (tried in that order); the sub-key is
// the text after the root's name and one separator. False without a root name.
bool boSplitRegistryPath(const std::string& strPath, SRegPath& path);

// Compares two file versions: up to four numbers split at ',' or '.', blanks
// ignored, missing numbers 0. Negative when a is lower, 0 equal, positive higher.
int iCompareFileVersions(const std::string& a, const std::string& b);
// The "V" comparison of version texts (four- and eight-digit codes rewritten,
// at most 20 parts).
int iCompareVersionTexts(const std::string& a, const std::string& b);

// The line split at every ';' (one field more than there are ';').
std::vector<std::string> fieldsOf(const std::string& strLine);
// The line split at its first `ulCount - 1` ';': the last field keeps the rest.
// Fewer fields when the line has fewer ';'.
std::vector<std::string> fieldsOf(const std::string& strLine, size_t ulCount);

// An action line "VERB:<slot>;<arguments>".
struct SActionLine
{
    std::string strVerb;    // text before the first ':'
    std::string strAfter;   // text after the verb's ':' (the index boxes' title)
    int32_t lSlot = 0;      // the number after ':', as atol reads it
    bool boHasArgs = false; // a ';' follows the ':'
    std::string strArgs;    // text after that first ';'
};
// False for a line without ':'.
bool boParseActionLine(const std::string& strLine, SActionLine& action);

// The drive walk's progress line for the n-th folder entered (from 0):
// kProgressWidth dots with one marker, which moves one place (round the line)
// and turns "-", "\", "|", "/" every kProgressStep folders.
constexpr size_t kProgressWidth = 32;
constexpr size_t kProgressStep = 16;
std::string strProgressLine(size_t ulFolder);
// The folder and a name below it, with one '\' between.
std::string strJoinPath(const std::string& strFolder, const std::string& strName);
// The name after a path's last '\' or '/'.
std::string strFileName(const std::string& strPath);
// An address a browser may open: "http://" or "https://", in any case.
bool boIsWebAddress(const std::string& strText);

// printf-style "%ld" of a number, as the callback's numbers travel.
std::string strDecimal(int64_t llValue);
} // namespace FdInstall
