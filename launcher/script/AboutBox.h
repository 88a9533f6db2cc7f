// The launcher's about box (dialog 128), opened from the tray menu: a modal
// box with the active window as owner, whose title is animated by a 25 ms timer.
#pragma once

#include <windows.h>

namespace LudexAbout
{
constexpr int kDialogId = 128;
constexpr UINT_PTR kTimerId = 666;

// Runs the box through the modal-box seam; its end code (IDOK or IDCANCEL).
INT_PTR iShow(HINSTANCE hInstance);
} // namespace LudexAbout
