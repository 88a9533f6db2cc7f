#pragma once
// Version texts: short digit codes (abcd, abcdefgh), dotted texts (2.1.0.5) and
// the eight-digit comparison code (02010005).
#include <cstddef>

constexpr int kVersionModeCode = 1;   // eight-digit comparison code
constexpr int kVersionModeDotted = 2; // dotted text

// Mode 2 (and any mode but 1): four digits abcd give "a.b.0.cd", eight digits
// give "ab.cd.ef.gh", any other text is copied without its blanks. Mode 1: the
// dotted form's first four components (split at "." or ","), each capped at 99,
// missing ones 0, as "%02i%02i%02i%02i". The result is cut to outSize-1 characters;
// a null input gives an empty text.
void vNormaliseVersion(char* lpszOut, size_t ulOutSize, const char* lpszIn, int iMode);

// Compares two version texts component by component after bringing both to the
// dotted form: positive when `a` is the greater, negative when `b` is, 0 when they
// are equal over depth+1 components. A text that still has characters after equal
// components counts as the greater. Either text null gives -1; depth below 0 gives 0.
// Components of any number of digits compare by value, without overflow.
int iCompareVersions(const char* a, const char* b, int iDepth);
