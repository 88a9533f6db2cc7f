// Message-box words of the scripts and game definitions turned into MessageBoxA styles.
#pragma once

#include <cstdint>
#include <string>

// The MessageBoxA style bits these words stand for.
enum : uint32_t
{
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4,
    kMbRetryCancel = 0x5,
    kMbIconHand = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconExclamation = 0x30,
    kMbIconAsterisk = 0x40,
};

// buttons "#<number>" is the whole style (icon ignored); otherwise "okcancel",
// "retrycancel", "yesno", "yesnocancel" (else OK) plus the icon "error", "?", "warning"
// or "info" (else none), compared without regard to case.
uint32_t MessageBoxStyle(const std::string& buttons, const std::string& icon);
