#pragma once
// The comparison of a window's small icon with a stored browser picture: both
// are 16 x 16 pictures of 24 bits per pixel, bottom row first (768 bytes).
#include <cstddef>
#include <cstdint>

namespace FdNavClose
{
constexpr size_t kIconSide = 16;
constexpr size_t kIconBytes = kIconSide * kIconSide * 3;
// Largest difference of one byte that still counts as the same picture.
constexpr int kIconTolerance = 15;

// True when every byte of the window's picture is within kIconTolerance of the
// stored picture's byte.
bool boIconMatches(const uint8_t* lpWindow, const uint8_t* lpStored);
} // namespace FdNavClose
